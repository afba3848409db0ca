#include "platform/gui/win32/win32_progress_window.h"

#include <commctrl.h>

#include <utility>

#include "platform/error.h"
#include "platform/gui/progress_layout.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/gui/win32/win32_controls.h"
#include "platform/gui/win32/win32_dpi.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

constexpr wchar_t kProgressClass[] = L"VelloranProgress";

// The main window's fixed dialog frame, without an icon of its own.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

// Which control of the description has which identifier.
struct ControlSlot {
  ControlDescription ProgressWindowDescription::*control;
  ProgressWindow::ControlId id;
};
constexpr ControlSlot kControls[] = {
    {&ProgressWindowDescription::path, ProgressWindow::kPath},
    {&ProgressWindowDescription::step, ProgressWindow::kStep},
    {&ProgressWindowDescription::bar, ProgressWindow::kBar},
    {&ProgressWindowDescription::cancel, ProgressWindow::kCancel},
};

void RegisterProgressClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kProgressClass;
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw Error(toolkit_messages::WithReason(toolkit_messages::kCannotRegisterProgressClass,
                                             SystemMessage(GetLastError())));
}

}  // namespace

ProgressWindow::ProgressWindow(HINSTANCE instance, HWND owner,
                               const ProgressWindowDescription& description, std::string_view title,
                               const std::string& path, std::function<void()> on_cancel)
    : layout_(description), owner_(owner), on_cancel_(std::move(on_cancel)) {
  CheckControlKinds(layout_);
  RegisterProgressClass(instance, &ProgressWindow::WindowProc);
  const std::wstring caption = Widen(title);
  if (!CreateWindowExW(kExStyle, kProgressClass, caption.c_str(), kStyle, 0, 0, 0, 0, owner,
                       nullptr, instance, this))
    throw Error(toolkit_messages::WithReason(toolkit_messages::kCannotCreateProgressWindow,
                                             SystemMessage(GetLastError())));
  try {
    for (const ControlSlot& slot : kControls) {
      CreateControl(instance, window_, layout_.*slot.control, slot.id);
    }
    SetDlgItemTextW(window_, kPath, Widen(path).c_str());
    LayOut(WindowDpi(owner_));
    CentreOverOwner();
  } catch (...) {
    DestroyWindow(window_);
    throw;
  }
  EnableWindow(owner_, FALSE);
  ShowWindow(window_, SW_SHOW);
  SetFocus(GetDlgItem(window_, kCancel));
}

// The owner first: it is then the window that becomes active.
ProgressWindow::~ProgressWindow() {
  EnableWindow(owner_, TRUE);
  if (window_) DestroyWindow(window_);
}

void ProgressWindow::ShowReport(const WorkReport& report) {
  if (step_shown_ != report.step) {
    step_shown_ = report.step;
    SetDlgItemTextW(window_, kStep, Widen(layout_.StepText(report.step)).c_str());
  }
  const int position = ProgressBarPosition(report);
  if (bar_shown_ != position) {
    bar_shown_ = position;
    SendDlgItemMessageW(window_, kBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }
}

// Sizes the window to its client area, places the controls and makes their
// fonts, all for `dpi`. Every font is made before any is set.
void ProgressWindow::LayOut(UINT dpi) {
  const SIZE outer = OuterSizeForClient(
      TwipsToPixels(static_cast<float>(layout_.client_width), dpi),
      TwipsToPixels(static_cast<float>(layout_.client_height), dpi), kStyle, kExStyle, dpi);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  std::array<UniqueFont, std::size(kControls)> fonts;
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    fonts[i] = MakeFont((layout_.*kControls[i].control).font.value_or(kDefaultFont), dpi);
  }
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    PlaceControl(GetDlgItem(window_, kControls[i].id), (layout_.*kControls[i].control).place,
                 fonts[i].get(), dpi);
    fonts_[i] = std::move(fonts[i]);
  }
}

void ProgressWindow::CentreOverOwner() {
  RECT owner{};
  RECT own{};
  GetWindowRect(owner_, &owner);
  GetWindowRect(window_, &own);
  const int left = (owner.left + owner.right - (own.right - own.left)) / 2;
  const int top = (owner.top + owner.bottom - (own.bottom - own.top)) / 2;
  SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProgressWindow::Cancel() {
  const HWND button = GetDlgItem(window_, kCancel);
  if (!IsWindowEnabled(button)) return;
  EnableWindow(button, FALSE);
  on_cancel_();
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* progress =
        static_cast<ProgressWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    progress->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(progress));
  }
  auto* progress = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!progress) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    progress->window_ = nullptr;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  // No exception may cross the system's code that called this procedure; a
  // new layout that fails keeps the old one.
  try {
    return progress->HandleMessage(message, wparam, lparam);
  } catch (...) {
    return 0;
  }
}

LRESULT ProgressWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kCancel) Cancel();
      return 0;
    case WM_CLOSE:
      Cancel();
      return 0;
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      LayOut(HIWORD(wparam));
      return 0;
    }
    default:
      return DefWindowProcW(window_, message, wparam, lparam);
  }
}

}  // namespace velloran::platform::win32
