#pragma once

#include "platform/list_box.h"
#include "platform/os/win32/win32_api.h"

namespace velloran::platform::win32 {

// List1: a LISTBOX control (unsorted, single selection, notifying).
class Win32ListBox final : public ListBox {
 public:
  // `font` is the one the window gives the control.
  void Attach(HWND list, const Font& font) {
    list_ = list;
    font_ = font;
  }
  HWND hwnd() const { return list_; }

  void AddItem(const std::string& text) override;
  void RemoveItem(int index) override;
  int ListIndex() const override;
  int ListCount() const override;
  std::string List(int index) const override;
  Font GetFont() const override { return font_; }
  void SetHorizontalExtent(int pixels) override;

 private:
  HWND list_ = nullptr;
  Font font_;
};

}  // namespace velloran::platform::win32
