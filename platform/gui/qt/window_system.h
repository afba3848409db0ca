#pragma once

#include <QtCore/QAbstractNativeEventFilter>
#include <QtCore/QMargins>
#include <QtWidgets/QWidget>
#include <cstdint>
#include <functional>
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

// Some window managers (openbox) leave no window active when the active one
// goes, and keys then reach no window at all. Call once `closed`, a dialog
// over `owner`, has closed or just before it goes: unless another window of
// the program has become the active one or another dialog has opened,
// `owner` becomes it again, as it does after a dialog on Windows.
void ReturnActivation(QWidget& owner, const QWidget& closed);

// Hears each request of the window system to close `window` (on X11, the
// WM_DELETE_WINDOW that the frame's close button has the window manager
// send) before Qt does: Qt drops those that reach a window blocked by a
// modal window. `take` returns true when it has dealt with the request;
// otherwise Qt handles it as usual. Hears nothing where the window system
// offers no such request.
class CloseRequestWatch final : public QAbstractNativeEventFilter {
 public:
  CloseRequestWatch(QWidget& window, std::function<bool()> take);
  ~CloseRequestWatch() override;
  CloseRequestWatch(const CloseRequestWatch&) = delete;
  CloseRequestWatch& operator=(const CloseRequestWatch&) = delete;

  bool nativeEventFilter(const QByteArray& event_type, void* message, qintptr* result) override;

 private:
  QWidget& window_;
  std::function<bool()> take_;
  std::uint32_t protocols_atom_ = 0;  // WM_PROTOCOLS
  std::uint32_t delete_atom_ = 0;     // WM_DELETE_WINDOW
};

// Sends queued requests, such as a pointer change, to the window system now,
// so they take effect even while the program is busy and not handling events.
void FlushWindowSystem();

}  // namespace velloran::platform::qt
