#include "platform/gui/win32/win32_runtime.h"

#include <string>

#include "platform/error.h"
#include "platform/gui/progress_layout.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/gui/win32/win32_dpi.h"
#include "platform/gui/win32/win32_form.h"
#include "platform/gui/win32/win32_message_box.h"
#include "platform/os/win32/paths_and_handles.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
    if (length == 0)
      throw Error(toolkit_messages::WithReason(toolkit_messages::kCannotTellProgramFolder,
                                               SystemMessage(GetLastError())));
    if (length < size) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::wstring ProgramFolder(std::wstring_view program_path) {
  return SplitPath(program_path).folder;
}

Win32Runtime::Win32Runtime(FormWindow& form, HINSTANCE instance, const UiDescription& description)
    : form_(form),
      instance_(instance),
      title_(description.app_title),
      progress_window_(description.progress) {
  CheckControlKinds(progress_window_);
}

std::string Win32Runtime::AppPath() const { return Narrow(ProgramFolder(ProgramPath())); }

float Win32Runtime::ScreenWidth() const {
  return PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), form_.Dpi());
}

float Win32Runtime::ScreenHeight() const {
  return PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), form_.Dpi());
}

int Win32Runtime::VerticalScrollBarWidth() const { return SystemMetric(SM_CXVSCROLL, form_.Dpi()); }

void Win32Runtime::MsgBox(const std::string& prompt) {
  if (HasEnded()) return;
  ShowMessageBox(form_.hwnd(), title_, prompt);
}

void Win32Runtime::End() { form_.End(); }

bool Win32Runtime::HasEnded() const { return form_.Ended(); }

}  // namespace velloran::platform::win32
