#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/os/win32/win32_api.h"

namespace velloran::testing {

// Plays the user from a second thread: waits for the windows that the thread
// under test opens (the window, the file dialogs, message boxes), reads them
// and presses their buttons. A step that waits in vain fails the script; the
// driver then closes every dialog and the window so that the thread under
// test gets out of its modal loops and the test can report.
class GuiDriver {
 public:
  using Script = std::function<void(GuiDriver&)>;

  explicit GuiDriver(Script script);
  GuiDriver(const GuiDriver&) = delete;
  GuiDriver& operator=(const GuiDriver&) = delete;
  ~GuiDriver();

  // Waits for the script to end; returns what went wrong, if anything.
  std::string Finish();

  // A visible top-level window of the thread under test, by class and title.
  HWND WaitForWindow(std::wstring_view window_class, std::wstring_view title);
  // A visible file dialog, or a message box, with this title (a message box
  // with any title when `title` is empty).
  HWND WaitForFileDialog(std::wstring_view title);
  HWND WaitForMessageBox(std::wstring_view title = L"Velloran");
  void WaitUntilGone(HWND window);
  void WaitUntil(const std::function<bool()>& condition, std::wstring_view what);
  // True if no dialog at all shows up within `period`.
  bool NoDialogFor(std::chrono::milliseconds period);

  static std::wstring Text(HWND window);
  static std::wstring MessageText(HWND message_box);
  static std::wstring FileNameField(HWND file_dialog);
  static void SetFileNameField(HWND file_dialog, std::wstring_view text);

  // Presses a dialog button and waits until the dialog handled it; only for
  // a press that opens nothing modal (such as OK on a folder name).
  static void PressNow(HWND dialog, int button_id);
  // Presses a dialog button without waiting (the press may open another
  // modal window or end the dialog).
  static void Press(HWND dialog, int button_id);
  // A mouse click on a button control.
  static void Click(HWND button);
  // The control that has the keyboard focus in the thread under test, if any.
  HWND Focused() const;
  // Waits until the focus is on `window` or one of its controls.
  void WaitForFocusIn(HWND window);
  // Keys as the user presses them: each goes to the control with the focus,
  // once there is one. Enter, Escape, Tab and Space (PressKey), characters
  // (Type), Alt+F4 (PressAltF4).
  void PressKey(WPARAM virtual_key);
  void Type(std::wstring_view text);
  void PressAltF4();
  // A key pressed and released on the control with the focus.
  static void Key(HWND control, WPARAM virtual_key);

  DWORD ui_thread() const { return ui_thread_; }

 private:
  HWND WaitFor(const std::function<HWND()>& find, std::wstring_view what);
  void Rescue() const;

  DWORD ui_thread_;
  std::string failure_;
  std::thread thread_;
};

}  // namespace velloran::testing
