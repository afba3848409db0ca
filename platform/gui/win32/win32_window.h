#pragma once

#include <string_view>
#include <vector>

#include "platform/gui/win32/win32_handles.h"
#include "platform/window_description.h"

namespace velloran::platform::win32 {

// What the program's windows share: a window class of their own, a window
// procedure that hands each message to the window's object, and controls
// built from the description in its tab order, placed and given fonts for the
// window's DPI, with the window sized so that its client area is the
// described one whatever frame the system's theme draws, and each control
// named for assistive technology as the description says (win32_accessible.h).
// A window derives
// from it, creates itself (Create) and handles its own messages.
class DescribedWindow {
 public:
  // A control of the description and its identifier in the window.
  struct Control {
    const ControlDescription* description = nullptr;
    int id = 0;
  };
  // The window's class and frame.
  struct Frame {
    const wchar_t* class_name = nullptr;
    DWORD style = 0;
    DWORD ex_style = 0;
    HICON icon = nullptr;  // none: the frame shows no icon of its own
    HICON small_icon = nullptr;
    HBRUSH background = nullptr;  // none: the window paints its background itself
  };

  DescribedWindow(const DescribedWindow&) = delete;
  DescribedWindow& operator=(const DescribedWindow&) = delete;

  // The window; null before Create and once it is destroyed.
  HWND hwnd() const { return window_; }

 protected:
  // `client_width` and `client_height` in twips. Builds nothing yet.
  DescribedWindow(const Frame& frame, int client_width, int client_height,
                  std::vector<Control> controls);
  virtual ~DescribedWindow();

  // Creates the window, hidden and unplaced, and its controls in tab order.
  // Throws Error when either cannot be made; the destructor then destroys
  // what was made.
  void Create(HINSTANCE instance, HWND owner, std::wstring_view caption);
  // Destroys the window and its controls now; no message reaches the window's
  // object afterwards. A derived window calls it before its own members go.
  void Destroy();

  // Sizes the window to its client area, places the controls and makes their
  // fonts, all for `dpi`. Every font is made before any is set, so that a
  // failure leaves the controls as they were.
  void LayOut(UINT dpi);
  // WM_DPICHANGED: takes the place the system suggests and lays out anew.
  void FollowDpiChange(WPARAM wparam, LPARAM lparam);
  // The control first in the tab order, which holds the focus at first.
  HWND FirstInTabOrder() const;
  // The control made for `description`, or null.
  HWND ControlFor(const ControlDescription& description) const;

  LRESULT DefaultHandling(UINT message, WPARAM wparam, LPARAM lparam) const {
    return DefWindowProcW(window_, message, wparam, lparam);
  }

  // The window's messages, but WM_NCCREATE and WM_NCDESTROY.
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  // A message on its way to control `id`, before the control handles it.
  virtual void OnControlMessage(int /*id*/, UINT /*message*/) {}
  // An exception escaped HandleMessage or OnControlMessage; none may go on
  // into the system's code that called the window procedure. By default it
  // is let go: the window keeps its state before the message.
  virtual void OnCaughtException() noexcept {}

 private:
  // A control as the window keeps it: made once, in tab order, never moved.
  struct Built {
    Control control;
    DescribedWindow* window = nullptr;
    HWND handle = nullptr;
    WNDPROC original = nullptr;
    UniqueFont font;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
  void RegisterWindowClass(HINSTANCE instance) const;
  void CreateControls(HINSTANCE instance);

  Frame frame_;
  int client_width_;  // twips
  int client_height_;
  std::vector<Built> controls_;
  HWND window_ = nullptr;
};

}  // namespace velloran::platform::win32
