#pragma once

#include <functional>

#include "platform/runtime.h"

namespace velloran::platform {

// Runs one event handler. An exception that escapes it ends that handler only:
// its message is shown in the program's message box and the program goes on.
// Every backend dispatches its events through this.
void RunHandler(Runtime& runtime, const std::function<void()>& handler);

}  // namespace velloran::platform
