#pragma once

#include <string>

#include "platform/form_events.h"
#include "platform/gui/handler_guard.h"
#include "platform/gui/win32/win32_handles.h"
#include "platform/gui/win32/win32_list_box.h"
#include "platform/gui/win32/win32_picture_button.h"
#include "platform/gui/win32/win32_runtime.h"
#include "platform/gui/win32/win32_window.h"
#include "platform/window.h"
#include "platform/window_description.h"

namespace velloran::platform::win32 {

// Form1: a fixed-dialog window, owned by a hidden window so that it stays
// out of the task bar, with Command1, List1, Check1 and Check2 built from the
// description in its tab order, and the runtime services that go with it.
// It turns the window's messages into calls of the FormEvents handlers
// through the handler guard; an exception from its own work on a message is
// shown the same way, as none may leave the window procedure.
class FormWindow final : public DescribedWindow, public Window {
 public:
  // Control identifiers; 1 and 2 are IDOK and IDCANCEL, which dialog-style
  // keyboard handling sends for Enter and Esc.
  enum ControlId : int { kCommand1 = 101, kList1 = 102, kCheck1 = 103, kCheck2 = 104 };

  // `description` must outlive the window; its places, sizes and fonts are
  // read again whenever the window's DPI changes. Throws Error when the
  // window cannot be built.
  FormWindow(HINSTANCE instance, HWND owner, const UiDescription& description);
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  ~FormWindow() override;

  using DescribedWindow::hwnd;
  HWND command1() const { return command1_; }
  Win32ListBox& list1() { return list1_; }
  Win32PictureButton& check1() { return check1_; }
  Win32PictureButton& check2() { return check2_; }
  Runtime& runtime() { return runtime_; }
  UINT Dpi() const;

  // Events go to `events` from now on (nullptr: nowhere).
  void SetEvents(FormEvents* events) { events_ = events; }
  // Shows the window with the keyboard focus on the first control in the tab
  // order.
  void Show();
  // A close request: the window's Form_Unload runs, which ends the program;
  // while work runs, the work is asked to stop first and the runtime closes
  // the window once it has (Win32Runtime::RunWork).
  void Close() { OnClose(); }
  // Closes the window for good and ends the message loop; no handler runs
  // after this.
  void End();
  bool Ended() const { return ended_; }

  // Runs `call` on the handlers through the handler guard: not after End or
  // while work runs, and an exception escaping it is shown in a message box
  // and goes no further. A close that waited for work the runtime did not
  // finish follows.
  template <typename Call>
  void Dispatch(Call&& call) noexcept {
    if (!events_) return;
    guard_.Run([this, &call] { call(*events_); });
    if (runtime_.work().TakeDeferredClose()) OnClose();
  }
  // Shows the exception now being handled as the guard does; for work on the
  // window's behalf outside the handlers, such as the message loop.
  void ShowCaughtException() noexcept { guard_.ShowCaughtException(); }

  // Window
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  float Left() const override;
  float Top() const override;
  float Width() const override;
  float Height() const override;
  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  int MousePointer() const override { return mouse_pointer_; }
  void SetMousePointer(int pointer) override;
  void LoadMouseIcon(const std::string& path) override;
  Font GetFont() const override { return font_; }
  void SetFontName(const std::string& name) override;
  void SetFontBold(bool bold) override;
  void SetFontSize(double points) override;
  int MeasureText(const std::string& text) const override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnControlMessage(int id, UINT message) override;
  void OnCaughtException() noexcept override { ShowCaughtException(); }

  void AttachControls(HINSTANCE instance);
  void AddToolTips(HINSTANCE instance);
  void MoveTo(int left_pixels, int top_pixels);
  RECT OuterRect() const;

  void OnCommand(int id, int code);
  void OnUserClick(Win32PictureButton& button, void (FormEvents::*click)());
  void OnClose();
  void OnActivate(bool active);
  void OnNextControl(WPARAM target, bool target_is_window);
  bool OnSetCursor(HWND over, int hit_test);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnEraseBackground(HDC dc) const;
  HCURSOR CursorForPointer() const;
  void RefreshCursor() const;

  const Form1Description& layout_;
  Win32Runtime runtime_;
  HandlerGuard guard_;
  HWND command1_ = nullptr;
  HWND tool_tip_ = nullptr;
  HWND focus_ = nullptr;  // the control that gets the focus back on activation
  Win32ListBox list1_;
  Win32PictureButton check1_;
  Win32PictureButton check2_;
  UniqueBitmap check1_picture_;
  UniqueBitmap check2_picture_;

  Font font_;                          // the window's own Font
  mutable UniqueFont measuring_font_;  // made from font_ when first needed
  int mouse_pointer_ = 0;
  UniqueCursor mouse_icon_;
  FormEvents* events_ = nullptr;
  bool ended_ = false;
};

}  // namespace velloran::platform::win32
