#pragma once

#include "platform/gui/win32/win32_form.h"
#include "platform/runtime.h"

namespace velloran::platform::win32 {

// The program's services outside its window, measured at the window's DPI.
class Win32Runtime final : public Runtime {
 public:
  explicit Win32Runtime(FormWindow& form) : form_(form) {}

  std::string AppPath() const override;
  float ScreenWidth() const override;
  float ScreenHeight() const override;
  int VerticalScrollBarWidth() const override;
  void MsgBox(const std::string& prompt) override;
  void End() override { form_.End(); }

 private:
  FormWindow& form_;
};

}  // namespace velloran::platform::win32
