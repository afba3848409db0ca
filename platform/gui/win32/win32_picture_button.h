#pragma once

#include <functional>
#include <optional>

#include "platform/os/win32/win32_api.h"
#include "platform/picture_button.h"
#include "platform/window_description.h"

namespace velloran::platform::win32 {

// A check box in graphical style: an owner-drawn button whose face (in its
// background colour, else the system's button face) shows a picture in its
// middle, raised while Value is 0 and pressed in otherwise. The window draws
// it (WM_DRAWITEM) and reports clicks to it.
class Win32PictureButton final : public PictureButton {
 public:
  // `raise_click` runs the button's click handler, nested in the caller.
  explicit Win32PictureButton(std::function<void()> raise_click);

  void Attach(HWND button, HBITMAP picture, std::optional<Colour> background);
  HWND hwnd() const { return button_; }
  HBITMAP picture() const { return picture_; }

  int Value() const override { return value_; }
  void SetValue(int value) override;

  // A click by the user (mouse or space bar) flips Value; the window then
  // runs the click handler.
  void ToggleByUser();

  void Draw(const DRAWITEMSTRUCT& item, UINT dpi) const;

 private:
  void ShowValue() const;

  std::function<void()> raise_click_;
  HWND button_ = nullptr;
  HBITMAP picture_ = nullptr;
  std::optional<Colour> background_;
  int value_ = 0;
};

}  // namespace velloran::platform::win32
