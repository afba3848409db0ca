#include "tests/x11/x_display.h"

#include <xcb/xfixes.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace velloran::testing {
namespace {

template <typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> Owned(Reply* reply) {
  return {reply, &std::free};
}

}  // namespace

XDisplay::XDisplay() {
  int screen_number = 0;
  connection_ = xcb_connect(nullptr, &screen_number);
  if (xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    throw std::runtime_error("Cannot connect to the X server named by $DISPLAY");
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screen_number; ++i) xcb_screen_next(&screens);
  screen_ = screens.data;
  root_ = screen_->root;
  // XFIXES answers only clients that said which version they speak.
  Owned(xcb_xfixes_query_version_reply(
      connection_, xcb_xfixes_query_version(connection_, XCB_XFIXES_MAJOR_VERSION, 0), nullptr));
}

XDisplay::~XDisplay() { xcb_disconnect(connection_); }

QSize XDisplay::ScreenSize() const { return {screen_->width_in_pixels, screen_->height_in_pixels}; }

xcb_atom_t XDisplay::Atom(const std::string& name) {
  const auto reply = Owned(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.data()),
      nullptr));
  if (!reply) throw std::runtime_error("Cannot intern the atom " + name);
  return reply->atom;
}

std::vector<uint32_t> XDisplay::Cardinals(xcb_window_t window, const std::string& property) {
  const auto reply = Owned(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, Atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
      nullptr));
  if (!reply || reply->format != 32) return {};
  const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
  return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

std::vector<xcb_window_t> XDisplay::TopLevelWindows() {
  std::vector<xcb_window_t> managed = Cardinals(root_, "_NET_CLIENT_LIST");
  if (!managed.empty()) return managed;
  std::vector<xcb_window_t> shown;
  const auto tree =
      Owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
  if (!tree) return shown;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    const auto attributes = Owned(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
    if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) shown.push_back(children[i]);
  }
  return shown;
}

std::string XDisplay::WindowClass(xcb_window_t window) {
  const auto reply = Owned(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
      nullptr));
  if (!reply) return {};
  const char* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
  const int length = xcb_get_property_value_length(reply.get());
  return std::string(text, static_cast<std::size_t>(length)).c_str();  // up to the first NUL
}

std::vector<std::string> XDisplay::AtomNames(xcb_window_t window, const std::string& property) {
  std::vector<std::string> names;
  for (uint32_t atom : Cardinals(window, property)) {
    const auto reply =
        Owned(xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr));
    if (reply) {
      names.emplace_back(xcb_get_atom_name_name(reply.get()),
                         static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
    }
  }
  return names;
}

QRect XDisplay::OuterRect(xcb_window_t window) {
  const auto geometry =
      Owned(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
  const auto place = Owned(xcb_translate_coordinates_reply(
      connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
  if (!geometry || !place) throw std::runtime_error("The window is gone");
  QRect outer(place->dst_x, place->dst_y, geometry->width, geometry->height);
  const std::vector<uint32_t> frame = Cardinals(window, "_NET_FRAME_EXTENTS");
  if (frame.size() == 4) {  // left, right, top, bottom
    outer.adjust(-static_cast<int>(frame[0]), -static_cast<int>(frame[2]),
                 static_cast<int>(frame[1]), static_cast<int>(frame[3]));
  }
  return outer;
}

QImage XDisplay::Capture(const QRect& area) {
  const auto reply = Owned(xcb_get_image_reply(
      connection_,
      xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<int16_t>(area.x()),
                    static_cast<int16_t>(area.y()), static_cast<uint16_t>(area.width()),
                    static_cast<uint16_t>(area.height()), ~0U),
      nullptr));
  if (!reply || reply->depth != 24) throw std::runtime_error("Cannot read the screen");
  const QImage view(xcb_get_image_data(reply.get()), area.width(), area.height(),
                    QImage::Format_RGB32);
  return view.copy();  // the reply's memory goes with the reply
}

XDisplay::Pointer XDisplay::PointerPicture() {
  const auto reply = Owned(xcb_xfixes_get_cursor_image_reply(
      connection_, xcb_xfixes_get_cursor_image(connection_), nullptr));
  if (!reply) throw std::runtime_error("Cannot read the pointer's picture");
  return {QSize(reply->width, reply->height), QPoint(reply->xhot, reply->yhot)};
}

void XDisplay::FakeInput(uint8_t type, uint8_t detail, QPoint at) {
  xcb_test_fake_input(connection_, type, detail, XCB_CURRENT_TIME, root_,
                      static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y()), 0);
  xcb_flush(connection_);
}

void XDisplay::MovePointer(QPoint to) { FakeInput(XCB_MOTION_NOTIFY, 0, to); }

void XDisplay::PressButton(int button) {
  FakeInput(XCB_BUTTON_PRESS, static_cast<uint8_t>(button));
}

void XDisplay::ReleaseButton(int button) {
  FakeInput(XCB_BUTTON_RELEASE, static_cast<uint8_t>(button));
}

void XDisplay::Click(int button) {
  PressButton(button);
  ReleaseButton(button);
}

void XDisplay::DoubleClick(int button) {
  Click(button);
  Click(button);
}

XDisplay::Key XDisplay::KeyFor(uint32_t keysym) {
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  const uint8_t first = setup->min_keycode;
  const auto count = static_cast<uint8_t>(setup->max_keycode - first + 1);
  const auto mapping = Owned(xcb_get_keyboard_mapping_reply(
      connection_, xcb_get_keyboard_mapping(connection_, first, count), nullptr));
  if (!mapping) throw std::runtime_error("Cannot read the keyboard's map");
  const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
  const int per_key = mapping->keysyms_per_keycode;
  for (int key = 0; key < count; ++key) {
    for (int level = 0; level < std::min(per_key, 2); ++level) {
      if (symbols[key * per_key + level] == keysym) {
        return {static_cast<uint8_t>(first + key), level == 1};
      }
    }
  }
  throw std::runtime_error("No key gives the keysym " + std::to_string(keysym));
}

void XDisplay::PressKey(uint32_t keysym, const std::vector<uint32_t>& held) {
  constexpr uint32_t kShift = 0xffe1;  // Shift_L
  std::vector<uint8_t> down;
  down.reserve(held.size() + 1);
  for (uint32_t modifier : held) down.push_back(KeyFor(modifier).code);
  const Key key = KeyFor(keysym);
  if (key.shifted) down.push_back(KeyFor(kShift).code);
  for (uint8_t code : down) FakeInput(XCB_KEY_PRESS, code);
  FakeInput(XCB_KEY_PRESS, key.code);
  FakeInput(XCB_KEY_RELEASE, key.code);
  for (auto code = down.rbegin(); code != down.rend(); ++code) FakeInput(XCB_KEY_RELEASE, *code);
}

void XDisplay::Type(const std::string& text) {
  for (char character : text) PressKey(static_cast<unsigned char>(character));
}

xcb_window_t XDisplay::ActiveWindow() {
  const std::vector<uint32_t> active = Cardinals(root_, "_NET_ACTIVE_WINDOW");
  return active.empty() ? xcb_window_t{XCB_WINDOW_NONE} : active.front();
}

std::string XDisplay::WindowName(xcb_window_t window) {
  const auto reply = Owned(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), 0, 1024),
      nullptr));
  if (!reply) return {};
  const char* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
  return {text, static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
}

void XDisplay::Close(xcb_window_t window) {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = Atom("WM_PROTOCOLS");
  event.data.data32[0] = Atom("WM_DELETE_WINDOW");
  event.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(connection_);
}

}  // namespace velloran::testing
