#include "platform/gui/qt/control_factory.h"

#include <QtGui/QIcon>
#include <QtGui/QPixmap>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>

#include "platform/gui/progress_layout.h"
#include "platform/gui/qt/elided_label.h"
#include "platform/gui/qt/horizontal_list_widget.h"
#include "platform/gui/qt/picture_button_widget.h"

namespace velloran::platform::qt {
namespace {

QFont ToQFont(const Font& font) {
  QFont qt_font(QString::fromStdString(font.name));
  qt_font.setPointSizeF(font.size);
  qt_font.setBold(font.bold);
  return qt_font;
}

// A checkable button showing its picture, at the picture's own size, in the
// middle of its face.
QPushButton* CreatePictureButton(const ControlDescription& control, QWidget& parent) {
  auto* button = new PictureButtonWidget(&parent);
  button->setCheckable(true);
  button->setAutoDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  const QPixmap pixmap(QStringLiteral(":/artwork/") + QString::fromUtf8(control.picture) +
                       QStringLiteral(".jpg"));
  button->setIcon(QIcon(pixmap));
  button->setIconSize(pixmap.size());
  return button;
}

// A bar without a text of its own, as the Windows control draws it.
QProgressBar* CreateProgressBar(QWidget& parent) {
  auto* bar = new QProgressBar(&parent);
  bar->setRange(0, kProgressBarRange);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

QWidget* CreateControlOfKind(const ControlDescription& control, QWidget& parent) {
  switch (control.kind) {
    case ControlKind::kCommandButton: {
      auto* button = new QPushButton(QString::fromUtf8(control.caption), &parent);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::kListBox:
      return new HorizontalListWidget(&parent);
    case ControlKind::kPictureButton:
      return CreatePictureButton(control, parent);
    case ControlKind::kLabel:
      return new ElidedLabel(QString::fromUtf8(control.caption), &parent);
    case ControlKind::kProgressBar:
      return CreateProgressBar(parent);
  }
  return new QWidget(&parent);
}

}  // namespace

void SetBackground(QWidget& widget, std::optional<ControlKind> kind, const Colour& colour) {
  QPalette palette = widget.palette();
  const QColor qt_colour(colour.red, colour.green, colour.blue);
  if (kind == ControlKind::kListBox) {
    palette.setColor(QPalette::Base, qt_colour);
  } else {
    palette.setColor(QPalette::Window, qt_colour);
    if (kind) palette.setColor(QPalette::Button, qt_colour);
  }
  widget.setPalette(palette);
}

QWidget* CreateControl(const ControlDescription& control, const TwipsScale& scale,
                       QWidget& parent) {
  QWidget* widget = CreateControlOfKind(control, parent);
  widget->setObjectName(QString::fromUtf8(control.name));
  const Placement& place = control.place;
  widget->setGeometry(scale.ToPixels(place.left, place.top, place.width, place.height));
  if (control.font) widget->setFont(ToQFont(*control.font));
  if (!control.tool_tip.empty()) widget->setToolTip(QString::fromUtf8(control.tool_tip));
  if (control.background) SetBackground(*widget, control.kind, *control.background);
  // Without a name of its own, a control is announced by its caption, or a
  // label by the text it shows.
  if (!control.accessible_name.empty()) {
    widget->setAccessibleName(QString::fromUtf8(control.accessible_name));
  }
  if (!control.accessible_description.empty()) {
    widget->setAccessibleDescription(QString::fromUtf8(control.accessible_description));
  }
  return widget;
}

}  // namespace velloran::platform::qt
