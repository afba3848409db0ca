#pragma once

#include "platform/mouse_pointer.h"
#include "platform/window.h"

namespace velloran {

// Shows the busy pointer over the window while work blocks it, and puts the
// previous pointer back when released or destroyed (also on an exception).
class BusyPointer {
 public:
  explicit BusyPointer(platform::Window& form) : form_(&form), previous_(form.MousePointer()) {
    form.SetMousePointer(platform::kPointerHourglass);
  }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
  ~BusyPointer() { Release(); }

  void Release() {
    if (form_ == nullptr) return;
    form_->SetMousePointer(previous_);
    form_ = nullptr;
  }

 private:
  platform::Window* form_;
  int previous_;
};

}  // namespace velloran
