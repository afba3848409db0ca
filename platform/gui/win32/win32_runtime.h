#pragma once

#include <string>
#include <string_view>

#include "platform/runtime.h"

namespace velloran::platform::win32 {

class FormWindow;

// The program's services outside its window, measured at the window's DPI;
// its message boxes carry the program's title. Part of the window, which
// owns it.
class Win32Runtime final : public Runtime {
 public:
  Win32Runtime(FormWindow& form, std::string_view title) : form_(form), title_(title) {}

  std::string AppPath() const override;
  float ScreenWidth() const override;
  float ScreenHeight() const override;
  int VerticalScrollBarWidth() const override;
  void MsgBox(const std::string& prompt) override;
  void End() override;
  bool HasEnded() const override;

 private:
  FormWindow& form_;
  std::string_view title_;
};

// The folder of the program at `program_path`, without a trailing separator
// except for a drive's root folder ("C:\"); empty for a path without one.
std::wstring ProgramFolder(std::wstring_view program_path);

}  // namespace velloran::platform::win32
