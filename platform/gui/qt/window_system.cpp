#include "platform/gui/qt/window_system.h"

#include <QtGui/QGuiApplication>
#include <cstdlib>
#include <memory>
#include <string_view>

#ifdef VELLORAN_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace velloran::platform::qt {

#ifdef VELLORAN_HAVE_XCB
namespace {

xcb_connection_t* X11Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t InternAtom(xcb_connection_t* connection, std::string_view name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data());
  const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
      xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

// Qt merges the states already present in _NET_WM_STATE with its own when it
// maps a window, so the hint set here survives the first show.
void KeepOutOfTaskBar(QWidget& window) {
  xcb_connection_t* connection = X11Connection();
  if (connection == nullptr) return;
  const auto x11_window = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t state = InternAtom(connection, "_NET_WM_STATE");
  const xcb_atom_t skip_taskbar = InternAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
  if (state == XCB_ATOM_NONE || skip_taskbar == XCB_ATOM_NONE) return;
  xcb_change_property(connection, XCB_PROP_MODE_APPEND, x11_window, state, XCB_ATOM_ATOM, 32, 1,
                      &skip_taskbar);
  xcb_flush(connection);
}

void FlushWindowSystem() {
  if (xcb_connection_t* connection = X11Connection()) xcb_flush(connection);
}

#else

void KeepOutOfTaskBar(QWidget&) {}
void FlushWindowSystem() {}

#endif

}  // namespace velloran::platform::qt
