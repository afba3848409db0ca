#include "platform/gui/qt/picture_button_widget.h"

#include <QtWidgets/QStyleOptionButton>
#include <QtWidgets/QStyleOptionFocusRect>
#include <QtWidgets/QStylePainter>

namespace velloran::platform::qt {

// The face first, then the picture clipped to the inside of the frame, then
// the focus mark over the picture, where a Windows button draws it.
void PictureButtonWidget::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  QStyleOptionButton face;
  initStyleOption(&face);
  painter.drawControl(QStyle::CE_PushButtonBevel, face);

  const bool pressed = face.state & (QStyle::State_Sunken | QStyle::State_On);
  QRect picture_place(QPoint(0, 0), iconSize());
  picture_place.moveCenter(rect().center());
  if (pressed) {
    picture_place.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &face, this),
                            style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &face, this));
  }
  const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &face, this);
  painter.save();
  painter.setClipRect(rect().adjusted(frame, frame, -frame, -frame));
  const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
  painter.drawPixmap(picture_place, icon().pixmap(iconSize(), devicePixelRatio(), mode));
  painter.restore();

  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(face);
    focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &face, this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace velloran::platform::qt
