#include "platform/gui/qt/qt_picture_button.h"

namespace velloran::platform::qt {

void QtPictureButton::SetValue(int value) {
  const bool pressed = value != 0;
  if (pressed == button_.isChecked()) return;
  button_.setChecked(pressed);  // Qt reports no click for this
  raise_click_();
}

}  // namespace velloran::platform::qt
