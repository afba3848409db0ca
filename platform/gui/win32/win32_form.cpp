#include "platform/gui/win32/win32_form.h"

#include <commctrl.h>

#include <cwctype>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/gui/form1_layout.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/gui/win32/resource_ids.h"
#include "platform/gui/win32/win32_colour.h"
#include "platform/gui/win32/win32_controls.h"
#include "platform/gui/win32/win32_dpi.h"
#include "platform/gui/win32/win32_message_box.h"
#include "platform/mouse_pointer.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

// A fixed dialog frame: title bar, system menu and close button; no sizing
// border, no minimise or maximise button. The window paints its own
// background (WM_ERASEBKGND) in the described colour, so the class has no
// brush.
DescribedWindow::Frame FormFrame(HINSTANCE instance) {
  DescribedWindow::Frame frame;
  frame.class_name = L"VelloranForm1";
  frame.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  frame.icon = LoadIconW(instance, MAKEINTRESOURCEW(VELLORAN_IDI_ICON));
  frame.small_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(VELLORAN_IDI_ICON),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  return frame;
}

std::vector<DescribedWindow::Control> FormControls(const Form1Description& description) {
  CheckControlKinds(description);
  return {{&description.command1, FormWindow::kCommand1},
          {&description.list1, FormWindow::kList1},
          {&description.check1, FormWindow::kCheck1},
          {&description.check2, FormWindow::kCheck2}};
}

// A picture of the description: the bitmap resource named as the artwork
// file, in capitals as resource compilers store names (velloran.rc.in);
// none when the description names none.
UniqueBitmap LoadPicture(HINSTANCE instance, std::string_view name) {
  if (name.empty()) return nullptr;
  std::wstring resource = Widen(name);
  for (wchar_t& c : resource) c = static_cast<wchar_t>(std::towupper(c));
  HANDLE picture = LoadImageW(instance, resource.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (!picture)
    throw Error(toolkit_messages::kCannotLoadPicture, name, SystemMessage(GetLastError()));
  return UniqueBitmap(static_cast<HBITMAP>(picture));
}

}  // namespace

FormWindow::FormWindow(HINSTANCE instance, HWND owner, const UiDescription& description)
    : DescribedWindow(FormFrame(instance), description.form1.client_width,
                      description.form1.client_height, FormControls(description.form1)),
      layout_(description.form1),
      runtime_(*this, instance, description),
      guard_(runtime_, runtime_.work(), description.unexpected_error),
      check1_([this] { Dispatch([](FormEvents& events) { events.Check1_Click(); }); }),
      check2_([this] { Dispatch([](FormEvents& events) { events.Check2_Click(); }); }),
      font_(kDefaultFont) {
  Create(instance, owner, L"");
  AttachControls(instance);
  AddToolTips(instance);
  LayOut(Dpi());
}

FormWindow::~FormWindow() {
  events_ = nullptr;
  Destroy();
}

UINT FormWindow::Dpi() const { return WindowDpi(hwnd()); }

// ---------------------------------------------------------------- creation

// The first in the tab order holds the focus when the window opens.
void FormWindow::AttachControls(HINSTANCE instance) {
  focus_ = FirstInTabOrder();
  command1_ = GetDlgItem(hwnd(), kCommand1);
  list1_.Attach(GetDlgItem(hwnd(), kList1), layout_.list1.font.value_or(kDefaultFont));
  check1_picture_ = LoadPicture(instance, layout_.check1.picture);
  check2_picture_ = LoadPicture(instance, layout_.check2.picture);
  check1_.Attach(GetDlgItem(hwnd(), kCheck1), check1_picture_.get(), layout_.check1.background);
  check2_.Attach(GetDlgItem(hwnd(), kCheck2), check2_picture_.get(), layout_.check2.background);
}

// The tool tip control lives in comctl32, which the backend loads at run
// time; without it the controls simply have no tool tips.
void FormWindow::AddToolTips(HINSTANCE instance) {
  for (const ControlDescription* control : layout_.Controls()) {
    if (control->tool_tip.empty()) continue;
    if (!tool_tip_) {
      tool_tip_ =
          CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, instance, nullptr);
      if (!tool_tip_) return;
    }
    std::wstring text = Widen(control->tool_tip);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(ControlFor(*control));
    tool.lpszText = text.data();  // copied by the tool tip
    SendMessageW(tool_tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// ---------------------------------------------------------------- showing, ending

void FormWindow::Show() {
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(focus_);
  UpdateWindow(hwnd());
}

void FormWindow::End() {
  if (ended_) return;
  ended_ = true;
  Destroy();
  PostQuitMessage(0);
}

// ---------------------------------------------------------------- messages

// The mouse over a control moves the window's pointer as the handlers say.
void FormWindow::OnControlMessage(int id, UINT message) {
  if (message != WM_MOUSEMOVE) return;
  if (id == kList1) Dispatch([](FormEvents& events) { events.List1_MouseMove(); });
  if (id == kCheck1) Dispatch([](FormEvents& events) { events.Check1_MouseMove(); });
  if (id == kCheck2) Dispatch([](FormEvents& events) { events.Check2_MouseMove(); });
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_MOUSEMOVE:
      Dispatch([](FormEvents& events) { events.Form_MouseMove(); });
      return 0;
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wparam), LOWORD(lparam))) return TRUE;
      break;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wparam) != WA_INACTIVE);
      return 0;
    case WM_SETFOCUS:
      if (focus_) SetFocus(focus_);
      return 0;
    case WM_NEXTDLGCTL:
      OnNextControl(wparam, LOWORD(lparam) != 0);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_SYSCOMMAND:
      // The frame's close button, Alt+F4 and the task bar's Close, even while
      // the progress window keeps the window disabled.
      if ((wparam & 0xFFF0) == SC_CLOSE) {
        OnClose();
        return 0;
      }
      break;
    case WM_DPICHANGED:
      FollowDpiChange(wparam, lparam);
      measuring_font_.reset();
      return 0;
    case WM_ERASEBKGND:
      OnEraseBackground(reinterpret_cast<HDC>(wparam));
      return TRUE;
    default:
      break;
  }
  return DefaultHandling(message, wparam, lparam);
}

// Enter and Esc reach the window as IDOK and IDCANCEL, and Command1 as its
// own click: none of them has a handler.
void FormWindow::OnCommand(int id, int code) {
  if (id == kCheck1 && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) {
    OnUserClick(check1_, &FormEvents::Check1_Click);
  } else if (id == kCheck2 && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) {
    OnUserClick(check2_, &FormEvents::Check2_Click);
  } else if (id == kList1 && code == LBN_DBLCLK) {
    Dispatch([](FormEvents& events) { events.List1_DblClick(); });
  }
}

void FormWindow::OnUserClick(Win32PictureButton& button, void (FormEvents::*click)()) {
  if (ended_) return;
  button.ToggleByUser();
  Dispatch([click](FormEvents& events) { (events.*click)(); });
}

// While work runs, the work is asked to stop and the window closes once it
// has stopped (Win32Runtime::RunWork).
void FormWindow::OnClose() {
  if (runtime_.work().DeferClose()) return;
  int cancel = 0;
  Dispatch([&cancel](FormEvents& events) { events.Form_Unload(cancel); });
  if (cancel == 0) End();
}

// Like a dialog, the window gives the focus back to the control that had it.
void FormWindow::OnActivate(bool active) {
  if (active) {
    if (focus_) SetFocus(focus_);
    return;
  }
  const HWND focused = GetFocus();
  if (focused && IsChild(hwnd(), focused)) focus_ = focused;
}

// Tab and Shift+Tab: IsDialogMessage asks the window to move the focus, as
// the dialog procedure of a real dialog would.
void FormWindow::OnNextControl(WPARAM target, bool target_is_window) {
  const HWND next = target_is_window ? reinterpret_cast<HWND>(target)
                                     : GetNextDlgTabItem(hwnd(), GetFocus(), target != 0);
  if (next) SetFocus(next);
}

void FormWindow::OnEraseBackground(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  FillBackground(dc, client, layout_.background, COLOR_BTNFACE);
}

void FormWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID == kCheck1) check1_.Draw(item, Dpi());
  if (item.CtlID == kCheck2) check2_.Draw(item, Dpi());
}

// ---------------------------------------------------------------- pointer

HCURSOR FormWindow::CursorForPointer() const {
  switch (mouse_pointer_) {
    case kPointerArrow:
      return LoadCursorW(nullptr, IDC_ARROW);
    case kPointerHourglass:
      return LoadCursorW(nullptr, IDC_WAIT);
    case kPointerCustom:
      return mouse_icon_.get();  // none without a MouseIcon: the default shows
    default:
      return nullptr;
  }
}

// The window's pointer shows over its whole client area, the controls
// (scroll bars included) too.
bool FormWindow::OnSetCursor(HWND over, int hit_test) {
  const HCURSOR cursor = CursorForPointer();
  if (!cursor) return false;
  if (over == hwnd() ? hit_test != HTCLIENT : !IsChild(hwnd(), over)) return false;
  SetCursor(cursor);
  return true;
}

// Shows a new pointer at once when the mouse is over the window: the handler
// that set it may keep the thread busy for a while.
void FormWindow::RefreshCursor() const {
  POINT point{};
  if (!hwnd() || !GetCursorPos(&point)) return;
  const HWND under = WindowFromPoint(point);
  if (!under || (under != hwnd() && !IsChild(hwnd(), under))) return;
  const LRESULT hit_test = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
               MAKELPARAM(hit_test, WM_MOUSEMOVE));
}

void FormWindow::SetMousePointer(int pointer) {
  if (pointer == mouse_pointer_) return;
  mouse_pointer_ = pointer;
  RefreshCursor();
}

void FormWindow::LoadMouseIcon(const std::string& path) {
  const std::wstring wide_path = Widen(path);
  HCURSOR cursor = LoadCursorFromFileW(wide_path.c_str());
  if (!cursor)
    throw Error(toolkit_messages::kCannotLoadPointer, path, SystemMessage(GetLastError()));
  mouse_icon_.reset(cursor);
  if (mouse_pointer_ == kPointerCustom) RefreshCursor();
}

// ---------------------------------------------------------------- caption, geometry

std::string FormWindow::Caption() const {
  const int length = GetWindowTextLengthW(hwnd());
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd(), text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied));
  return Narrow(text);
}

void FormWindow::SetCaption(const std::string& caption) {
  SetWindowTextW(hwnd(), Widen(caption).c_str());
}

RECT FormWindow::OuterRect() const {
  RECT rect{};
  GetWindowRect(hwnd(), &rect);
  return rect;
}

float FormWindow::Left() const { return PixelsToTwips(OuterRect().left, Dpi()); }
float FormWindow::Top() const { return PixelsToTwips(OuterRect().top, Dpi()); }

float FormWindow::Width() const {
  const RECT rect = OuterRect();
  return PixelsToTwips(rect.right - rect.left, Dpi());
}

float FormWindow::Height() const {
  const RECT rect = OuterRect();
  return PixelsToTwips(rect.bottom - rect.top, Dpi());
}

void FormWindow::MoveTo(int left_pixels, int top_pixels) {
  SetWindowPos(hwnd(), nullptr, left_pixels, top_pixels, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::SetLeft(float twips) { MoveTo(TwipsToPixels(twips, Dpi()), OuterRect().top); }
void FormWindow::SetTop(float twips) { MoveTo(OuterRect().left, TwipsToPixels(twips, Dpi())); }

// ---------------------------------------------------------------- font, measuring

void FormWindow::SetFontName(const std::string& name) {
  font_.name = name;
  measuring_font_.reset();
}

void FormWindow::SetFontBold(bool bold) {
  font_.bold = bold;
  measuring_font_.reset();
}

void FormWindow::SetFontSize(double points) {
  font_.size = points;
  measuring_font_.reset();
}

// DrawTextW with DT_CALCRECT alone, on the window's device context with the
// window's font: & is a mnemonic prefix, && one &, and line breaks count.
int FormWindow::MeasureText(const std::string& text) const {
  if (!measuring_font_) measuring_font_ = MakeFont(font_, Dpi());
  const WindowDc dc(hwnd());
  if (!dc.get())
    throw Error(toolkit_messages::kCannotMeasure, text, toolkit_messages::kNoDeviceContext);
  const SelectedObject selected(dc.get(), measuring_font_.get());
  const std::wstring wide = Widen(text);
  RECT rect{0, 0, 0, 0};
  DrawTextW(dc.get(), wide.c_str(), -1, &rect, DT_CALCRECT);
  return rect.right;
}

}  // namespace velloran::platform::win32
