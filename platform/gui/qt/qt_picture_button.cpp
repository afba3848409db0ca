#include "platform/gui/qt/qt_picture_button.h"

#include "platform/gui/qt/window_system.h"

namespace velloran::platform::qt {

// The new face is painted and sent to the screen at once: the handler that
// sets Value 0 goes on to its action, which may keep the event loop waiting,
// and the button must not look pressed meanwhile.
void QtPictureButton::SetValue(int value) {
  const bool pressed = value != 0;
  if (pressed == button_.isChecked()) return;
  button_.setChecked(pressed);  // Qt reports no click for this
  button_.repaint();
  FlushWindowSystem();
  raise_click_();
}

}  // namespace velloran::platform::qt
