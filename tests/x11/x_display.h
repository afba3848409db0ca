#pragma once

#include <xcb/xcb.h>

#include <QtCore/QRect>
#include <QtGui/QImage>
#include <cstdint>
#include <string>
#include <vector>

namespace velloran::testing {

// The X server as another client sees it: what the window manager says of a
// window, what is on the screen, and a user's pointer and buttons (through
// the XTEST extension). A connection of its own, apart from the program's,
// so that it sees only what the program has really sent to the server.
class XDisplay {
 public:
  XDisplay();  // the display named by $DISPLAY; throws std::runtime_error
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  xcb_window_t root() const { return root_; }
  QSize ScreenSize() const;

  // Top-level windows the window manager manages, newest last; without a
  // window manager, the shown children of the root window.
  std::vector<xcb_window_t> TopLevelWindows();
  std::string WindowClass(xcb_window_t window);  // the instance part of WM_CLASS
  std::vector<std::string> AtomNames(xcb_window_t window, const std::string& property);
  std::vector<uint32_t> Cardinals(xcb_window_t window, const std::string& property);
  // The window's outer rectangle on the screen: the window itself and the
  // frame the window manager reports around it (_NET_FRAME_EXTENTS).
  QRect OuterRect(xcb_window_t window);

  // What the screen shows in `area` (screen coordinates).
  QImage Capture(const QRect& area);

  // The pointer's picture now: its size and hot spot (XFIXES).
  struct Pointer {
    QSize size;
    QPoint hot_spot;
  };
  Pointer PointerPicture();

  // A user's hand on the mouse, in screen coordinates; button 1 is the left,
  // 2 the middle and 3 the right one.
  void MovePointer(QPoint to);
  void PressButton(int button);
  void ReleaseButton(int button);
  void Click(int button);
  void DoubleClick(int button);

  // A user's hand on the keyboard: one key, named by its X keysym (a
  // character of plain ASCII is its own keysym), pressed while the keys
  // `held` are held down; Shift is added where the keyboard needs it. Type
  // presses one key per character of plain ASCII text.
  void PressKey(uint32_t keysym, const std::vector<uint32_t>& held = {});
  void Type(const std::string& text);

  // The window the window manager has made the active one, and a window's
  // title.
  xcb_window_t ActiveWindow();
  std::string WindowName(xcb_window_t window);

  // Asks the window to close, as its close button does.
  void Close(xcb_window_t window);

 private:
  xcb_atom_t Atom(const std::string& name);
  void FakeInput(uint8_t type, uint8_t detail, QPoint at = {});
  // The key that gives `keysym`, and whether it needs Shift for it.
  struct Key {
    uint8_t code = 0;
    bool shifted = false;
  };
  Key KeyFor(uint32_t keysym);

  xcb_connection_t* connection_;
  xcb_screen_t* screen_;
  xcb_window_t root_;
};

}  // namespace velloran::testing
