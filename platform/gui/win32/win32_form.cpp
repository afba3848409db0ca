#include "platform/gui/win32/win32_form.h"

#include <commctrl.h>

#include <cwctype>
#include <iterator>
#include <string>
#include <utility>

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

constexpr wchar_t kFormClass[] = L"VelloranForm1";
constexpr wchar_t kTrackedProperty[] = L"VelloranMouseTracked";

// A fixed dialog frame: title bar, system menu and close button; no sizing
// border, no minimise or maximise button.
constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;

// Which control of the description has which identifier.
struct ControlSlot {
  ControlDescription Form1Description::*control;
  FormWindow::ControlId id;
};
constexpr ControlSlot kControls[] = {
    {&Form1Description::command1, FormWindow::kCommand1},
    {&Form1Description::list1, FormWindow::kList1},
    {&Form1Description::check1, FormWindow::kCheck1},
    {&Form1Description::check2, FormWindow::kCheck2},
};

// The window paints its own background (WM_ERASEBKGND) in the described
// colour, so the class has no brush.
void RegisterFormClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(VELLORAN_IDI_ICON));
  window_class.hIconSm = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(VELLORAN_IDI_ICON), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = nullptr;
  window_class.lpszClassName = kFormClass;
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw Error(toolkit_messages::WithReason(toolkit_messages::kCannotRegisterFormClass,
                                             SystemMessage(GetLastError())));
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
    : layout_(description.form1),
      runtime_(*this, instance, description),
      guard_(runtime_, runtime_.work(), description.unexpected_error),
      check1_([this] { Dispatch([](FormEvents& events) { events.Check1_Click(); }); }),
      check2_([this] { Dispatch([](FormEvents& events) { events.Check2_Click(); }); }),
      font_(kDefaultFont) {
  CheckControlKinds(layout_);
  RegisterFormClass(instance, &FormWindow::WindowProc);
  if (!CreateWindowExW(kFormExStyle, kFormClass, L"", kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, this))
    throw Error(toolkit_messages::WithReason(toolkit_messages::kCannotCreateForm,
                                             SystemMessage(GetLastError())));
  try {
    CreateControls(instance);
    AddToolTips(instance);
    LayOut(Dpi());
  } catch (...) {
    DestroyWindow(window_);
    throw;
  }
}

FormWindow::~FormWindow() {
  events_ = nullptr;
  if (window_) DestroyWindow(window_);
}

UINT FormWindow::Dpi() const { return WindowDpi(window_); }

// ---------------------------------------------------------------- creation

// Creation order is the tab order (for the dialog-style keyboard handling);
// the first in it holds the focus when the window opens.
void FormWindow::CreateControls(HINSTANCE instance) {
  for (const ControlDescription* control : InTabOrder(layout_)) {
    for (const ControlSlot& slot : kControls) {
      if (&(layout_.*slot.control) != control) continue;
      const HWND created = CreateControl(instance, window_, *control, slot.id);
      if (!focus_) focus_ = created;
    }
  }

  command1_ = GetDlgItem(window_, kCommand1);
  HWND list = GetDlgItem(window_, kList1);
  HWND check1 = GetDlgItem(window_, kCheck1);
  HWND check2 = GetDlgItem(window_, kCheck2);
  list1_.Attach(list, layout_.list1.font.value_or(kDefaultFont));
  check1_picture_ = LoadPicture(instance, layout_.check1.picture);
  check2_picture_ = LoadPicture(instance, layout_.check2.picture);
  check1_.Attach(check1, check1_picture_.get(), layout_.check1.background);
  check2_.Attach(check2, check2_picture_.get(), layout_.check2.background);

  TrackMouse(list, tracked_[0], &FormEvents::List1_MouseMove);
  TrackMouse(check1, tracked_[1], &FormEvents::Check1_MouseMove);
  TrackMouse(check2, tracked_[2], &FormEvents::Check2_MouseMove);
}

void FormWindow::TrackMouse(HWND control, MouseTracked& tracked, void (FormEvents::*mouse_move)()) {
  tracked.form = this;
  tracked.mouse_move = mouse_move;
  tracked.original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
  SetPropW(control, kTrackedProperty, &tracked);
  SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindow::ControlProc));
}

// The tool tip control lives in comctl32, which the backend loads at run
// time; without it the controls simply have no tool tips.
void FormWindow::AddToolTips(HINSTANCE instance) {
  for (const ControlSlot& slot : kControls) {
    const ControlDescription& control = layout_.*slot.control;
    if (control.tool_tip.empty()) continue;
    if (!tool_tip_) {
      tool_tip_ =
          CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
      if (!tool_tip_) return;
    }
    std::wstring text = Widen(control.tool_tip);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window_, slot.id));
    tool.lpszText = text.data();  // copied by the tool tip
    SendMessageW(tool_tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// Sizes the window to its client area, places the controls and makes their
// fonts, all for `dpi`.
void FormWindow::LayOut(UINT dpi) {
  const int client_width = TwipsToPixels(static_cast<float>(layout_.client_width), dpi);
  const int client_height = TwipsToPixels(static_cast<float>(layout_.client_height), dpi);
  SIZE outer = OuterSizeForClient(client_width, client_height, kFormStyle, kFormExStyle, dpi);
  constexpr UINT kResizeOnly = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, kResizeOnly);
  // A theme's frame may differ from the computed one: trust the client area.
  RECT client{};
  GetClientRect(window_, &client);
  if (client.right != client_width || client.bottom != client_height) {
    outer.cx += client_width - client.right;
    outer.cy += client_height - client.bottom;
    SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, kResizeOnly);
  }

  // Every font is made before any is set, so that a failure leaves the
  // controls with the fonts they have; each control gets its new font before
  // the old one is deleted.
  std::array<UniqueFont, std::size(kControls)> fonts;
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    fonts[i] = MakeFont((layout_.*kControls[i].control).font.value_or(kDefaultFont), dpi);
  }
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    PlaceControl(GetDlgItem(window_, kControls[i].id), (layout_.*kControls[i].control).place,
                 fonts[i].get(), dpi);
    control_fonts_[i] = std::move(fonts[i]);
  }
  measuring_font_.reset();
}

// ---------------------------------------------------------------- showing, ending

void FormWindow::Show() {
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(focus_);
  UpdateWindow(window_);
}

void FormWindow::End() {
  if (ended_) return;
  ended_ = true;
  if (window_) DestroyWindow(window_);
  PostQuitMessage(0);
}

// ---------------------------------------------------------------- messages

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->window_ = nullptr;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  // No exception may cross the system's code that called this procedure.
  try {
    return form->HandleMessage(message, wparam, lparam);
  } catch (...) {
    form->ShowCaughtException();
    return 0;
  }
}

LRESULT CALLBACK FormWindow::ControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto* tracked = static_cast<const MouseTracked*>(GetPropW(control, kTrackedProperty));
  if (message == WM_MOUSEMOVE) {
    tracked->form->Dispatch([tracked](FormEvents& events) { (events.*tracked->mouse_move)(); });
  } else if (message == WM_NCDESTROY) {
    RemovePropW(control, kTrackedProperty);
  }
  return CallWindowProcW(tracked->original, control, message, wparam, lparam);
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
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_ERASEBKGND:
      OnEraseBackground(reinterpret_cast<HDC>(wparam));
      return TRUE;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
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

// While work runs, the work is asked to stop and the window closes once the
// handler that started it has returned (Dispatch).
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
  if (focused && IsChild(window_, focused)) focus_ = focused;
}

// Tab and Shift+Tab: IsDialogMessage asks the window to move the focus, as
// the dialog procedure of a real dialog would.
void FormWindow::OnNextControl(WPARAM target, bool target_is_window) {
  const HWND next = target_is_window ? reinterpret_cast<HWND>(target)
                                     : GetNextDlgTabItem(window_, GetFocus(), target != 0);
  if (next) SetFocus(next);
}

void FormWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut(dpi);
}

void FormWindow::OnEraseBackground(HDC dc) const {
  RECT client{};
  GetClientRect(window_, &client);
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
  if (over == window_ ? hit_test != HTCLIENT : !IsChild(window_, over)) return false;
  SetCursor(cursor);
  return true;
}

// Shows a new pointer at once when the mouse is over the window: the handler
// that set it may keep the thread busy for a while.
void FormWindow::RefreshCursor() const {
  POINT point{};
  if (!window_ || !GetCursorPos(&point)) return;
  const HWND under = WindowFromPoint(point);
  if (!under || (under != window_ && !IsChild(window_, under))) return;
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
  const int length = GetWindowTextLengthW(window_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied));
  return Narrow(text);
}

void FormWindow::SetCaption(const std::string& caption) {
  SetWindowTextW(window_, Widen(caption).c_str());
}

RECT FormWindow::OuterRect() const {
  RECT rect{};
  GetWindowRect(window_, &rect);
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
  SetWindowPos(window_, nullptr, left_pixels, top_pixels, 0, 0,
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
  const WindowDc dc(window_);
  if (!dc.get())
    throw Error(toolkit_messages::kCannotMeasure, text, toolkit_messages::kNoDeviceContext);
  const SelectedObject selected(dc.get(), measuring_font_.get());
  const std::wstring wide = Widen(text);
  RECT rect{0, 0, 0, 0};
  DrawTextW(dc.get(), wide.c_str(), -1, &rect, DT_CALCRECT);
  return rect.right;
}

}  // namespace velloran::platform::win32
