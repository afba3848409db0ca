#pragma once

#include <QtCore/QMargins>
#include <QtWidgets/QWidget>
#include <optional>

namespace velloran::platform::qt {

// Asks the window manager to leave `window` out of the task bar. Call before
// the window is first shown. Does nothing where the window system offers no
// such hint.
void KeepOutOfTaskBar(QWidget& window);

// Asks the window manager for a fixed dialog frame around `window`: a title
// bar with the window menu and the close button, no minimise or maximise
// button, no resizing, no full screen. Call before the window is first shown.
// Does nothing where the window system offers no such hint.
void KeepFrameFixed(QWidget& window);

// The frame the window manager puts around `window`, title bar included. For
// a window not shown yet, the window manager is asked what it will put there:
// no margins when there is no window manager or it does not answer, and
// nothing known where the window system cannot be asked.
std::optional<QMargins> FrameMargins(QWidget& window);

// Sends queued requests, such as a pointer change, to the window system now,
// so they take effect even while the program is busy and not handling events.
void FlushWindowSystem();

}  // namespace velloran::platform::qt
