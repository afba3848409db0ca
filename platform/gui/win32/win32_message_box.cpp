#include "platform/gui/win32/win32_message_box.h"

#include "platform/error.h"
#include "platform/os/win32/win32_text.h"
#include "platform/runtime.h"

namespace velloran::platform::win32 {

void ShowMessageBox(HWND owner, const std::string& prompt) {
  const std::wstring text = Widen(prompt);
  const std::wstring title = Widen(kAppTitle);
  if (MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK) == 0)
    throw Error("Cannot show the message \"" + prompt + "\": " + SystemMessage(GetLastError()));
}

}  // namespace velloran::platform::win32
