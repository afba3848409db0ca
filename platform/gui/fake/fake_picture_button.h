#pragma once

#include <functional>

#include "platform/picture_button.h"

namespace velloran::platform::fake {

class FakePictureButton final : public PictureButton {
 public:
  void OnClick(std::function<void()> handler) { on_click_ = std::move(handler); }

  int Value() const override { return value_; }
  void SetValue(int value) override {
    if (value == value_) return;
    value_ = value;
    if (on_click_) on_click_();
  }

  // A click by the user: the box toggles, then the click event is raised.
  void Click() { SetValue(value_ == 1 ? 0 : 1); }

 private:
  int value_ = 0;
  std::function<void()> on_click_;
};

}  // namespace velloran::platform::fake
