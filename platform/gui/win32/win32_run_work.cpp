// Win32Runtime::RunWork: the work on a thread of its own while the
// user-interface thread waits in a message loop of its own, and the progress
// window.
#include <chrono>
#include <optional>

#include "platform/error.h"
#include "platform/gui/background_work.h"
#include "platform/gui/progress_layout.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/gui/win32/win32_form.h"
#include "platform/gui/win32/win32_progress_window.h"
#include "platform/gui/win32/win32_runtime.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

// The user's mouse and keys on `window` or its controls. The system keys
// (Alt+F4, the system menu) and the frame's own messages (moving, closing)
// are not among them.
bool IsInputFor(HWND window, const MSG& message) {
  const UINT kind = message.message;
  const bool mouse = kind >= WM_MOUSEFIRST && kind <= WM_MOUSELAST;
  const bool keys = kind >= WM_KEYFIRST && kind <= WM_KEYLAST && kind != WM_SYSKEYDOWN &&
                    kind != WM_SYSKEYUP && kind != WM_SYSCHAR && kind != WM_SYSDEADCHAR;
  if (!mouse && !keys) return false;
  return message.hwnd == window || IsChild(window, message.hwnd);
}

// Handles every message waiting, except the user's input to `blocked`; the
// progress window, if open, gets a dialog's keyboard handling. Returns the
// exit code of a WM_QUIT taken out of the queue, if one was.
std::optional<int> PumpMessages(HWND blocked, HWND progress_window) {
  std::optional<int> quit;
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = static_cast<int>(message.wParam);
      continue;
    }
    if (IsInputFor(blocked, message)) continue;
    if (progress_window && IsDialogMessageW(progress_window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return quit;
}

}  // namespace

// Waits until `background` has ended, keeping the windows painted, and opens
// the progress window once the work has lasted a while. Returns the exit code
// of a WM_QUIT taken out of the queue meanwhile, if one was.
std::optional<int> Win32Runtime::WaitFor(BackgroundWork& background, HANDLE ended,
                                         const std::string& subject) {
  const auto started = std::chrono::steady_clock::now();
  std::optional<ProgressWindow> window;
  std::optional<int> quit;
  while (!background.Ended()) {
    MsgWaitForMultipleObjectsEx(1, &ended, static_cast<DWORD>(kWorkPollInterval.count()),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // A program asked to quit stops its work first.
    if (const auto asked = PumpMessages(form_.hwnd(), window ? window->hwnd() : nullptr)) {
      quit = asked;
      background.RequestStop();
    }
    if (!window && std::chrono::steady_clock::now() - started >= kProgressWindowDelay) {
      window.emplace(instance_, form_.hwnd(), progress_window_, title_, subject,
                     [&background] { background.RequestStop(); });
    }
    if (window) window->ShowReport(background.Latest());
  }
  return quit;
}

// Once the program has ended, no work starts. A close of the window while the
// work runs stops it as Cancel does; once it has stopped, the window closes
// as it does when no work runs, which ends the program, so the handler that
// called this shows nothing more.
WorkEnd Win32Runtime::RunWork(const std::string& subject, const Work& work) {
  if (HasEnded()) return WorkEnd::kStopRequested;
  const UniqueEvent ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ended)
    throw Error(toolkit_messages::WithReason(toolkit_messages::kCannotStartWork,
                                             SystemMessage(GetLastError())));
  BackgroundWork background(work, [event = ended.get()] { SetEvent(event); });
  std::optional<int> quit;
  {
    const WorkState::Running running(work_, [&background] { background.RequestStop(); });
    quit = WaitFor(background, ended.get(), subject);
  }
  if (work_.TakeDeferredClose()) form_.Close();
  if (quit) PostQuitMessage(*quit);
  return background.Finish();
}

}  // namespace velloran::platform::win32
