#pragma once

#include <QtWidgets/QWidget>

namespace velloran::platform::qt {

// Asks the window manager to leave `window` out of the task bar. Call before
// the window is first shown. Does nothing where the window system offers no
// such hint.
void KeepOutOfTaskBar(QWidget& window);

// Sends queued requests, such as a pointer change, to the window system now,
// so they take effect even while the program is busy and not handling events.
void FlushWindowSystem();

}  // namespace velloran::platform::qt
