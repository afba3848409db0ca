#include "platform/gui/win32/win32_progress_window.h"

#include <commctrl.h>

#include <utility>

#include "platform/error.h"
#include "platform/gui/progress_layout.h"
#include "platform/gui/win32/win32_dpi.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

// The main window's fixed dialog frame, without an icon of its own.
DescribedWindow::Frame ProgressFrame() {
  DescribedWindow::Frame frame;
  frame.class_name = L"VelloranProgress";
  frame.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  frame.ex_style = WS_EX_DLGMODALFRAME;
  frame.background = GetSysColorBrush(COLOR_BTNFACE);
  return frame;
}

std::vector<DescribedWindow::Control> ProgressControls(
    const ProgressWindowDescription& description) {
  CheckControlKinds(description);
  return {{&description.path, ProgressWindow::kPath},
          {&description.step, ProgressWindow::kStep},
          {&description.bar, ProgressWindow::kBar},
          {&description.cancel, ProgressWindow::kCancel}};
}

}  // namespace

ProgressWindow::ProgressWindow(HINSTANCE instance, HWND owner,
                               const ProgressWindowDescription& description, std::string_view title,
                               const std::string& path, std::function<void()> on_cancel)
    : DescribedWindow(ProgressFrame(), description.client_width, description.client_height,
                      ProgressControls(description)),
      layout_(description),
      owner_(owner),
      on_cancel_(std::move(on_cancel)) {
  Create(instance, owner, Widen(title));
  SetDlgItemTextW(hwnd(), kPath, Widen(path).c_str());
  LayOut(WindowDpi(owner_));
  CentreOverOwner();
  EnableWindow(owner_, FALSE);
  ShowWindow(hwnd(), SW_SHOW);
  SetFocus(GetDlgItem(hwnd(), kCancel));
}

// The owner first: it is then the window that becomes active.
ProgressWindow::~ProgressWindow() {
  EnableWindow(owner_, TRUE);
  Destroy();
}

void ProgressWindow::ShowReport(const WorkReport& report) {
  if (step_shown_ != report.step) {
    step_shown_ = report.step;
    SetDlgItemTextW(hwnd(), kStep, Widen(layout_.StepText(report.step)).c_str());
  }
  const int position = ProgressBarPosition(report);
  if (bar_shown_ != position) {
    bar_shown_ = position;
    SendDlgItemMessageW(hwnd(), kBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  }
}

void ProgressWindow::CentreOverOwner() {
  RECT owner{};
  RECT own{};
  GetWindowRect(owner_, &owner);
  GetWindowRect(hwnd(), &own);
  const int left = (owner.left + owner.right - (own.right - own.left)) / 2;
  const int top = (owner.top + owner.bottom - (own.bottom - own.top)) / 2;
  SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProgressWindow::Cancel() {
  const HWND button = GetDlgItem(hwnd(), kCancel);
  if (!IsWindowEnabled(button)) return;
  EnableWindow(button, FALSE);
  on_cancel_();
}

// A new layout that fails keeps the old one (DescribedWindow lets the
// exception go).
LRESULT ProgressWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kCancel) Cancel();
      return 0;
    case WM_CLOSE:
      Cancel();
      return 0;
    case WM_DPICHANGED:
      FollowDpiChange(wparam, lparam);
      return 0;
    default:
      return DefaultHandling(message, wparam, lparam);
  }
}

}  // namespace velloran::platform::win32
