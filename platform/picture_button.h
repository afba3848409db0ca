#pragma once

namespace velloran::platform {

// A check box in graphical style used as a push button: raised while Value is
// 0, pressed in while it is 1. A user's click sets Value to 1 and raises the
// click event. Setting Value to a different value raises the click event
// again, synchronously, nested inside the caller.
class PictureButton {
 public:
  virtual ~PictureButton() = default;

  virtual int Value() const = 0;
  virtual void SetValue(int value) = 0;
};

}  // namespace velloran::platform
