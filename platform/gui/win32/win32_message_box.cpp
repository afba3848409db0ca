#include "platform/gui/win32/win32_message_box.h"

#include "platform/error.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {

void ShowMessageBox(HWND owner, std::string_view title, const std::string& prompt) {
  const std::wstring text = Widen(prompt);
  const std::wstring wide_title = Widen(title);
  if (MessageBoxW(owner, text.c_str(), wide_title.c_str(), MB_OK) == 0)
    throw Error(toolkit_messages::kCannotShowMessage, prompt, SystemMessage(GetLastError()));
}

}  // namespace velloran::platform::win32
