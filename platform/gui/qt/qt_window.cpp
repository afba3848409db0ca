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

float QtWindow::Left() const { return Scale().ToTwips(form_.frameGeometry().x()); }
float QtWindow::Top() const { return Scale().ToTwips(form_.frameGeometry().y()); }
float QtWindow::Width() const { return Scale().ToTwips(form_.frameGeometry().width()); }
float QtWindow::Height() const { return Scale().ToTwips(form_.frameGeometry().height()); }

// move() places a window by its outer frame.
void QtWindow::SetLeft(float twips) { form_.move(Scale().ToPixels(twips), form_.pos().y()); }
void QtWindow::SetTop(float twips) { form_.move(form_.pos().x(), Scale().ToPixels(twips)); }

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
