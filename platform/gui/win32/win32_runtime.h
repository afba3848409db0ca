#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/gui/background_work.h"
#include "platform/gui/work_state.h"
#include "platform/os/win32/win32_api.h"
#include "platform/runtime.h"
#include "platform/window_description.h"

namespace velloran::platform::win32 {

class FormWindow;

// The program's services outside its window, measured at the window's DPI;
// its message boxes and progress window carry the program's title. Part of
// the window, which owns it.
class Win32Runtime final : public Runtime {
 public:
  // The progress window is built from the description's, which must outlive
  // the runtime. Throws Error when its controls are not of the kinds it needs.
  Win32Runtime(FormWindow& form, HINSTANCE instance, const UiDescription& description);

  std::string AppPath() const override;
  float ScreenWidth() const override;
  float ScreenHeight() const override;
  int VerticalScrollBarWidth() const override;
  // Shows nothing once the program has ended.
  void MsgBox(const std::string& prompt) override;
  void End() override;
  bool HasEnded() const override;

  // Waits in a message loop of its own that keeps the windows painted and
  // drops the user's input to the window; opens the progress window after a
  // while. A close of the window meanwhile stops the work and, once it has
  // stopped, ends the program.
  WorkEnd RunWork(const std::string& subject, const Work& work) override;

  WorkState& work() { return work_; }

 private:
  std::optional<int> WaitFor(BackgroundWork& background, HANDLE ended, const std::string& subject);

  FormWindow& form_;
  HINSTANCE instance_;
  std::string_view title_;
  const ProgressWindowDescription& progress_window_;
  WorkState work_;
};

// The folder of the program at `program_path`, without a trailing separator
// except for a root folder ("C:\", "\"); empty for a path without one.
std::wstring ProgramFolder(std::wstring_view program_path);

}  // namespace velloran::platform::win32
