#pragma once

#include <array>
#include <string>

#include "platform/form_events.h"
#include "platform/gui/win32/win32_handles.h"
#include "platform/gui/win32/win32_list_box.h"
#include "platform/gui/win32/win32_picture_button.h"
#include "platform/window.h"

namespace velloran::platform::win32 {

// Form1: a fixed-dialog window, owned by a hidden window so that it stays
// out of the task bar, with Command1, List1, Check1 and Check2 in tab order.
// It turns the window's messages into calls of the FormEvents handlers, each
// guarded so that an escaping exception is shown in a message box.
class FormWindow final : public Window {
 public:
  // Control identifiers; 1 and 2 are IDOK and IDCANCEL, which dialog-style
  // keyboard handling sends for Enter and Esc.
  enum ControlId : int { kCommand1 = 101, kList1 = 102, kCheck1 = 103, kCheck2 = 104 };

  FormWindow(HINSTANCE instance, HWND owner);
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  ~FormWindow() override;

  HWND hwnd() const { return window_; }
  HWND command1() const { return command1_; }
  Win32ListBox& list1() { return list1_; }
  Win32PictureButton& check1() { return check1_; }
  Win32PictureButton& check2() { return check2_; }
  UINT Dpi() const;

  // Events go to `events` from now on (nullptr: nowhere).
  void SetEvents(FormEvents* events) { events_ = events; }
  // Shows the window with the keyboard focus on Command1.
  void Show();
  // Closes the window for good and ends the message loop; no handler runs
  // after this.
  void End();
  bool Ended() const { return ended_; }

  // Runs `call` on the handlers unless the program has ended. An exception
  // escaping it is shown in a message box and goes no further.
  template <typename Call>
  void Dispatch(Call&& call) noexcept {
    if (!events_ || ended_) return;
    try {
      call(*events_);
    } catch (const std::exception& error) {
      ShowError(error.what());
    } catch (...) {
      ShowError("An unexpected error occurred.");
    }
  }

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
  // A control whose mouse moves raise a handler of its own.
  struct MouseTracked {
    FormWindow* form = nullptr;
    WNDPROC original = nullptr;
    void (FormEvents::*mouse_move)() = nullptr;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  void CreateControls(HINSTANCE instance);
  HWND CreateControl(HINSTANCE instance, const wchar_t* window_class, const wchar_t* text,
                     DWORD style, DWORD ex_style, ControlId id);
  void TrackMouse(HWND control, MouseTracked& tracked, void (FormEvents::*mouse_move)());
  void AddToolTip(HINSTANCE instance);
  void LayOut(UINT dpi);
  void MoveTo(int left_pixels, int top_pixels);
  RECT OuterRect() const;

  void OnCommand(int id, int code);
  void OnUserClick(Win32PictureButton& button, void (FormEvents::*click)());
  void OnClose();
  void OnActivate(bool active);
  void OnNextControl(WPARAM target, bool target_is_window);
  bool OnSetCursor(HWND over, int hit_test);
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  HCURSOR CursorForPointer() const;
  void RefreshCursor() const;
  void ShowError(const char* message) noexcept;

  HWND window_ = nullptr;
  HWND command1_ = nullptr;
  HWND tool_tip_ = nullptr;
  HWND focus_ = nullptr;  // the control that gets the focus back on activation
  Win32ListBox list1_;
  Win32PictureButton check1_;
  Win32PictureButton check2_;
  std::array<MouseTracked, 3> tracked_{};
  UniqueBitmap add_files_picture_;
  UniqueBitmap remove_dupes_picture_;
  UniqueFont control_font_;  // Command1
  UniqueFont list_font_;
  UniqueFont button_font_;

  Font font_;                          // the window's own Font
  mutable UniqueFont measuring_font_;  // made from font_ when first needed
  int mouse_pointer_ = 0;
  UniqueCursor mouse_icon_;
  FormEvents* events_ = nullptr;
  bool ended_ = false;
};

}  // namespace velloran::platform::win32
