#include "platform/handler_guard.h"

#include <exception>

namespace velloran::platform {

void RunHandler(Runtime& runtime, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    runtime.MsgBox(error.what());
  } catch (...) {
    runtime.MsgBox("An unexpected error occurred.");
  }
}

}  // namespace velloran::platform
