#include "platform/gui/qt/window_system.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QApplication>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#ifdef VELLORAN_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace velloran::platform::qt {

namespace {

// Once shown, Qt knows the frame: the window manager has put it around the
// window.
std::optional<QMargins> ShownFrameMargins(const QWidget& window) {
  if (!window.isVisible()) return std::nullopt;
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                  outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

}  // namespace

#ifdef VELLORAN_HAVE_XCB
namespace {

template <typename Reply>
using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

// How long the window manager gets to say which frame it will draw.
constexpr int kFrameAnswerMilliseconds = 500;

xcb_connection_t* X11Connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t InternAtom(xcb_connection_t* connection, std::string_view name) {
  const xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data());
  const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                                &std::free);
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The 32-bit values of a window property of the given type; empty when the
// window has no such property.
std::vector<uint32_t> Property32(xcb_connection_t* connection, xcb_window_t window,
                                 xcb_atom_t property, xcb_atom_t type) {
  const XcbReply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(
          connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr),
      &std::free);
  if (!reply || reply->format != 32 || reply->type != type) return {};
  const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
  return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window) {
  const XcbReply<xcb_query_tree_reply_t> tree(
      xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr), &std::free);
  return tree ? tree->root : xcb_window_t{XCB_WINDOW_NONE};
}

// A window manager that says it will answer a request for frame extents.
bool ManagerAnswersFrameRequests(xcb_connection_t* connection, xcb_window_t root) {
  if (Property32(connection, root, InternAtom(connection, "_NET_SUPPORTING_WM_CHECK"),
                 XCB_ATOM_WINDOW)
          .empty()) {
    return false;
  }
  const xcb_atom_t request = InternAtom(connection, "_NET_REQUEST_FRAME_EXTENTS");
  for (uint32_t supported :
       Property32(connection, root, InternAtom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM)) {
    if (supported == request) return true;
  }
  return false;
}

void SendToRoot(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window,
                xcb_atom_t message) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = message;
  xcb_send_event(connection, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(connection);
}

// Motif window manager hints: what the user may do with the window and what
// its frame shows. Most window managers read them.
struct MotifHints {
  static constexpr uint32_t kFunctions = 1U << 0;
  static constexpr uint32_t kDecorations = 1U << 1;
  static constexpr uint32_t kMove = 1U << 2;
  static constexpr uint32_t kClose = 1U << 5;
  static constexpr uint32_t kBorder = 1U << 1;
  static constexpr uint32_t kTitle = 1U << 3;
  static constexpr uint32_t kMenu = 1U << 4;
  std::array<uint32_t, 5> values{kFunctions | kDecorations, kMove | kClose,
                                 kBorder | kTitle | kMenu, 0, 0};
};

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

// Qt's own hints for a dialog with a close button still allow resizing, and
// window managers such as openbox offer minimising to every dialog, whatever
// its hints say. A window that names itself a tool bar first, and a dialog
// for managers that know no tool bars, gets a title bar with the close
// button only. Qt writes these properties when it creates the window and
// when its flags change, so they are set after that, here.
void KeepFrameFixed(QWidget& window) {
  xcb_connection_t* connection = X11Connection();
  if (connection == nullptr) return;
  const auto x11_window = static_cast<xcb_window_t>(window.winId());
  const std::array<xcb_atom_t, 2> types = {InternAtom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                           InternAtom(connection, "_NET_WM_WINDOW_TYPE_DIALOG")};
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, x11_window,
                      InternAtom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                      types.size(), types.data());
  const xcb_atom_t motif = InternAtom(connection, "_MOTIF_WM_HINTS");
  const MotifHints hints;
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, x11_window, motif, motif, 32,
                      hints.values.size(), hints.values.data());
  xcb_flush(connection);
}

// Before the first show the window manager is asked, as the EWMH provides,
// to put the frame it would draw into the window's _NET_FRAME_EXTENTS.
std::optional<QMargins> FrameMargins(QWidget& window) {
  if (const std::optional<QMargins> shown = ShownFrameMargins(window)) return shown;
  xcb_connection_t* connection = X11Connection();
  if (connection == nullptr) return std::nullopt;
  const auto x11_window = static_cast<xcb_window_t>(window.winId());
  const xcb_window_t root = RootOf(connection, x11_window);
  if (root == XCB_WINDOW_NONE || !ManagerAnswersFrameRequests(connection, root)) {
    return QMargins();
  }

  const xcb_atom_t extents = InternAtom(connection, "_NET_FRAME_EXTENTS");
  SendToRoot(connection, root, x11_window, InternAtom(connection, "_NET_REQUEST_FRAME_EXTENTS"));
  QElapsedTimer waited;
  waited.start();
  for (;;) {
    const std::vector<uint32_t> frame =
        Property32(connection, x11_window, extents, XCB_ATOM_CARDINAL);
    if (frame.size() == 4) {  // left, right, top, bottom
      return QMargins(static_cast<int>(frame[0]), static_cast<int>(frame[2]),
                      static_cast<int>(frame[1]), static_cast<int>(frame[3]));
    }
    if (waited.elapsed() > kFrameAnswerMilliseconds) return QMargins();
    QThread::msleep(5);
  }
}

void FlushWindowSystem() {
  if (xcb_connection_t* connection = X11Connection()) xcb_flush(connection);
}

CloseRequestWatch::CloseRequestWatch(QWidget& window, std::function<bool()> take)
    : window_(window), take_(std::move(take)) {
  xcb_connection_t* connection = X11Connection();
  if (connection == nullptr) return;
  protocols_atom_ = InternAtom(connection, "WM_PROTOCOLS");
  delete_atom_ = InternAtom(connection, "WM_DELETE_WINDOW");
  QCoreApplication::instance()->installNativeEventFilter(this);
}

bool CloseRequestWatch::nativeEventFilter(const QByteArray& event_type, void* message,
                                          qintptr* /*result*/) {
  if (event_type != QByteArrayLiteral("xcb_generic_event_t")) return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  // The top bit marks an event that another client sent, as the window
  // manager sends this one.
  if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
  const auto* request = static_cast<const xcb_client_message_event_t*>(message);
  if (request->format != 32 || request->type != protocols_atom_ ||
      request->data.data32[0] != delete_atom_ || !window_.testAttribute(Qt::WA_WState_Created) ||
      request->window != static_cast<xcb_window_t>(window_.winId())) {
    return false;
  }
  return take_();
}

#else

CloseRequestWatch::CloseRequestWatch(QWidget& window, std::function<bool()> take)
    : window_(window), take_(std::move(take)) {}

bool CloseRequestWatch::nativeEventFilter(const QByteArray&, void*, qintptr*) { return false; }

void KeepOutOfTaskBar(QWidget&) {}
void KeepFrameFixed(QWidget&) {}
std::optional<QMargins> FrameMargins(QWidget& window) { return ShownFrameMargins(window); }
void FlushWindowSystem() {}

#endif

namespace {

// Asked at once, openbox has been seen to leave the focus with the dialog it
// is about to forget; a moment later it gives it. On a busy machine the
// moment can be longer, so the owner asks again, for a second at most,
// while no shown window of the program is active.
constexpr int kWindowManagerMoment = 50;  // milliseconds
constexpr int kActivationRequests = 20;

// A shown window that the keyboard may stay with. A popup, such as the
// name field's list of completions, is not one: Qt can report it as the
// active window while its dialog closes, and it goes with the dialog.
bool KeepsTheKeyboard(const QWidget* active) {
  return active != nullptr && active->isVisible() && active->windowType() != Qt::Popup;
}

void ActivateOwnerSoon(QWidget& owner, int requests_left) {
  QTimer::singleShot(kWindowManagerMoment, &owner, [&owner, requests_left] {
    // Another dialog may have opened meanwhile; it keeps the keyboard.
    if (QApplication::activeModalWidget() != nullptr || !owner.isVisible()) return;
    if (KeepsTheKeyboard(QApplication::activeWindow())) return;
    owner.activateWindow();
    if (requests_left > 1) ActivateOwnerSoon(owner, requests_left - 1);
  });
}

}  // namespace

void ReturnActivation(QWidget& owner, const QWidget& closed) {
  const QWidget* active = QApplication::activeWindow();
  if (active != &closed && KeepsTheKeyboard(active)) return;
  ActivateOwnerSoon(owner, kActivationRequests);
}

// Removing a filter that was never installed does nothing.
CloseRequestWatch::~CloseRequestWatch() {
  if (QCoreApplication* application = QCoreApplication::instance()) {
    application->removeNativeEventFilter(this);
  }
}

}  // namespace velloran::platform::qt
