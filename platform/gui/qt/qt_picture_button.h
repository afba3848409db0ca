#pragma once

#include <QtWidgets/QPushButton>
#include <functional>

#include "platform/picture_button.h"

namespace velloran::platform::qt {

// Check1 or Check2 as the handlers see it: a checkable push button whose
// checked state is Value 1 (pressed in). A user's click toggles it and Qt
// reports the click; setting a different Value raises the click event itself,
// nested in the caller.
class QtPictureButton : public PictureButton {
 public:
  QtPictureButton(QPushButton& button, std::function<void()> raise_click)
      : button_(button), raise_click_(std::move(raise_click)) {}

  int Value() const override { return button_.isChecked() ? 1 : 0; }
  void SetValue(int value) override;

 private:
  QPushButton& button_;
  std::function<void()> raise_click_;
};

}  // namespace velloran::platform::qt
