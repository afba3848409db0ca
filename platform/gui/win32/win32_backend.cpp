#include "platform/gui/win32/win32_backend.h"

#include <commctrl.h>

#include <memory>

#include "platform/error.h"
#include "platform/gui/handler_guard.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/gui/win32/win32_message_box.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

// The common controls (the list's tool tip, the progress window's bar) come
// from comctl32, loaded here rather than imported so that the program imports
// nothing beyond user32, gdi32, comdlg32 and kernel32. The manifest selects
// version 6.
UniqueModule LoadCommonControls() {
  UniqueModule module(LoadLibraryW(L"comctl32.dll"));
  if (!module) return module;
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = reinterpret_cast<InitFunction>(
      reinterpret_cast<void*>(GetProcAddress(module.get(), "InitCommonControlsEx")));
  if (init) {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    init(&classes);
  }
  return module;
}

UniqueWindow CreateHiddenOwner(HINSTANCE instance) {
  HWND owner =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (!owner)
    throw Error(toolkit_messages::WithReason(toolkit_messages::kCannotCreateOwner,
                                             SystemMessage(GetLastError())));
  return UniqueWindow(owner);
}

int RunMessageLoop(const FormWindow& form) {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1)
      throw Error(toolkit_messages::WithReason(toolkit_messages::kMessageLoopFailed,
                                               SystemMessage(GetLastError())));
    if (form.hwnd() && IsDialogMessageW(form.hwnd(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE instance, const UiDescription& description)
    : common_controls_(LoadCommonControls()),
      owner_(CreateHiddenOwner(instance)),
      form_(instance, owner_.get(), description),
      common_dialog1_([this] { return form_.hwnd(); }, [this] { return form_.Ended(); }) {}

Controls Win32Backend::GetControls() {
  return Controls{form_,          form_.list1(),   form_.check1(),
                  form_.check2(), common_dialog1_, form_.runtime()};
}

// A failure of the message loop itself ends the program, with its message.
int Win32Backend::Run(FormEvents& events) {
  form_.SetEvents(&events);
  form_.Dispatch([](FormEvents& handlers) { handlers.Form_Load(); });
  int exit_code = 1;
  try {
    if (!form_.Ended()) form_.Show();
    exit_code = RunMessageLoop(form_);
  } catch (...) {
    form_.ShowCaughtException();
  }
  form_.SetEvents(nullptr);
  return exit_code;
}

}  // namespace velloran::platform::win32

namespace velloran::platform {

// A window that cannot be built is told in a message box of its own.
std::unique_ptr<Backend> CreateBackend(int& /*argc*/, char** /*argv*/,
                                       const UiDescription& description) {
  try {
    return std::make_unique<win32::Win32Backend>(GetModuleHandleW(nullptr), description);
  } catch (...) {
    try {
      win32::ShowMessageBox(nullptr, description.app_title,
                            CaughtExceptionMessage(description.unexpected_error));
    } catch (...) {
      // Nothing else could tell the user.
    }
    return nullptr;
  }
}

}  // namespace velloran::platform
