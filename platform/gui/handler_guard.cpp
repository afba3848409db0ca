#include "platform/gui/handler_guard.h"

#include <exception>

namespace velloran::platform {

std::string CaughtExceptionMessage(std::string_view unexpected_error) {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return std::string(unexpected_error);
  }
}

void HandlerGuard::ShowCaughtException() noexcept {
  try {
    if (runtime_.HasEnded()) return;
    runtime_.MsgBox(CaughtExceptionMessage(unexpected_error_));
  } catch (...) {
    // The message box itself failed; the program goes on.
  }
}

}  // namespace velloran::platform
