#include "platform/gui/qt/qt_window.h"

#include <QtGui/QFontMetrics>
#include <QtWidgets/QApplication>
#include <algorithm>

#include "platform/gui/draw_text_rules.h"
#include "platform/gui/qt/cursor_file.h"
#include "platform/gui/qt/window_system.h"
#include "platform/mouse_pointer.h"

namespace velloran::platform::qt {

QtWindow::QtWindow(FormWidget& form) : form_(form), font_(QApplication::font()) {}

QtWindow::~QtWindow() { SetBusyOverride(false); }

std::string QtWindow::Caption() const { return form_.windowTitle().toStdString(); }

void QtWindow::SetCaption(const std::string& caption) {
  form_.setWindowTitle(QString::fromStdString(caption));
}

float QtWindow::Left() const { return Scale().ToTwips(OuterGeometry().x()); }
float QtWindow::Top() const { return Scale().ToTwips(OuterGeometry().y()); }
float QtWindow::Width() const { return Scale().ToTwips(OuterGeometry().width()); }
float QtWindow::Height() const { return Scale().ToTwips(OuterGeometry().height()); }

void QtWindow::SetLeft(float twips) {
  MoveOuterTo(QPoint(Scale().ToPixels(twips), OuterGeometry().y()));
}
void QtWindow::SetTop(float twips) {
  MoveOuterTo(QPoint(OuterGeometry().x(), Scale().ToPixels(twips)));
}

// The window's place and size with the frame the window manager puts around
// it, known on X11 even before the window is first shown. Elsewhere, until
// then, Qt keeps the place asked for as the outer one.
QRect QtWindow::OuterGeometry() const {
  return form_.geometry().marginsAdded(FrameMargins(form_).value_or(QMargins()));
}

// With the frame known, the inside goes where the frame puts the outside in
// place; otherwise Qt places the outside once it knows the frame.
void QtWindow::MoveOuterTo(QPoint outer_top_left) {
  if (const std::optional<QMargins> frame = FrameMargins(form_)) {
    form_.setGeometry(QRect(outer_top_left + QPoint(frame->left(), frame->top()), form_.size()));
  } else {
    form_.move(outer_top_left);
  }
}

void QtWindow::SetMousePointer(int pointer) {
  mouse_pointer_ = pointer;
  ApplyPointer();
}

void QtWindow::LoadMouseIcon(const std::string& path) {
  mouse_icon_ = LoadPointerFile(path);
  ApplyPointer();
}

// The cursor set on the window shows over its controls too, as none of them
// sets one of its own. While the busy pointer is on, the program may keep the
// event loop waiting, so it is also made the application's override cursor and
// sent to the window system at once.
void QtWindow::ApplyPointer() {
  switch (mouse_pointer_) {
    case kPointerArrow:
      form_.setCursor(Qt::ArrowCursor);
      break;
    case kPointerHourglass:
      form_.setCursor(Qt::WaitCursor);
      break;
    case kPointerCustom:
      if (mouse_icon_) {
        form_.setCursor(*mouse_icon_);
      } else {
        form_.unsetCursor();
      }
      break;
    default:
      form_.unsetCursor();
      break;
  }
  SetBusyOverride(mouse_pointer_ == kPointerHourglass);
  FlushWindowSystem();
}

void QtWindow::SetBusyOverride(bool busy) {
  if (busy == busy_override_) return;
  busy_override_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

Font QtWindow::GetFont() const {
  return {font_.family().toStdString(), font_.bold(), font_.pointSizeF()};
}

void QtWindow::SetFontName(const std::string& name) {
  font_.setFamily(QString::fromStdString(name));
}

void QtWindow::SetFontBold(bool bold) { font_.setBold(bold); }

void QtWindow::SetFontSize(double points) { font_.setPointSizeF(points); }

int QtWindow::MeasureText(const std::string& text) const {
  const QFontMetrics metrics(font_, &form_);
  int widest = 0;
  for (const std::string& line : DrawTextLines(text)) {
    widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(line)));
  }
  return widest;
}

}  // namespace velloran::platform::qt
