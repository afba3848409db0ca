#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/gui/work_state.h"
#include "platform/runtime.h"

namespace velloran::platform {

// How every toolkit runs the window's handlers: none after End, none while
// the runtime runs work off the user-interface thread (the run that started
// it is waiting for it), and an exception that escapes one ends that handler
// only. Its message is shown in
// the program's message box (Runtime::MsgBox) and the program goes on.
// Toolkits also catch their own work with it wherever nothing above them
// could (a window procedure, the message loop).
class HandlerGuard {
 public:
  // `unexpected_error` is shown for an exception that carries no message.
  // `work` tells whether `runtime` is running work.
  HandlerGuard(Runtime& runtime, const WorkState& work, std::string_view unexpected_error)
      : runtime_(runtime), work_(work), unexpected_error_(unexpected_error) {}

  // Runs `handler()` unless the program has ended or work is running.
  template <typename Handler>
  void Run(Handler&& handler) noexcept {
    if (runtime_.HasEnded() || work_.IsRunning()) return;
    try {
      std::forward<Handler>(handler)();
    } catch (...) {
      ShowCaughtException();
    }
  }

  // Shows the exception now being handled, unless the program has ended. Call
  // it only inside a catch block. A message box that fails is let go: nothing
  // else could tell the user.
  void ShowCaughtException() noexcept;

 private:
  Runtime& runtime_;
  const WorkState& work_;
  std::string_view unexpected_error_;
};

// The message of the exception now being handled, or `unexpected_error` for
// one that carries none. Call it only inside a catch block.
std::string CaughtExceptionMessage(std::string_view unexpected_error);

}  // namespace velloran::platform
