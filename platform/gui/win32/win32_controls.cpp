#include "platform/gui/win32/win32_controls.h"

#include <commctrl.h>

#include <string>

#include "platform/error.h"
#include "platform/gui/progress_layout.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/gui/win32/win32_dpi.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

// The window class and styles that make a control of each kind. The
// progress bar comes from comctl32, which the backend loads at start.
struct ControlClass {
  const wchar_t* window_class;
  DWORD style;
  DWORD ex_style;
};

ControlClass ClassForKind(ControlKind kind) {
  switch (kind) {
    case ControlKind::kCommandButton:
      return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::kListBox:
      return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE};
    case ControlKind::kPictureButton:
      return {L"BUTTON", WS_TABSTOP | BS_OWNERDRAW, 0};
    case ControlKind::kLabel:
      return {L"STATIC", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE | SS_PATHELLIPSIS, 0};
    case ControlKind::kProgressBar:
      return {PROGRESS_CLASSW, 0, 0};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

// Windows keeps a font's name in LF_FACESIZE characters, the closing NUL
// included, and would silently shorten a longer one.
UniqueFont MakeFont(const Font& font, UINT dpi) {
  const std::wstring name = Widen(font.name);
  if (name.size() >= LF_FACESIZE)
    throw Error(toolkit_messages::CannotCreateFont(
        font.name, toolkit_messages::FontNameTooLong(LF_FACESIZE - 1)));
  HFONT handle =
      CreateFontW(FontHeightForPoints(font.size, dpi), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                  FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name.c_str());
  if (!handle) throw Error(toolkit_messages::CannotCreateFont(font.name));
  return UniqueFont(handle);
}

HWND CreateControl(HINSTANCE instance, HWND parent, const ControlDescription& control, int id) {
  const ControlClass kind = ClassForKind(control.kind);
  const std::wstring caption = Widen(control.caption);
  HWND handle = CreateWindowExW(kind.ex_style, kind.window_class, caption.c_str(),
                                WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(INT_PTR{id}), instance, nullptr);
  if (!handle)
    throw Error(toolkit_messages::CannotCreateControl(control.name, SystemMessage(GetLastError())));
  if (control.kind == ControlKind::kProgressBar)
    SendMessageW(handle, PBM_SETRANGE32, 0, kProgressBarRange);
  return handle;
}

void PlaceControl(HWND control, const Placement& place, HFONT font, UINT dpi) {
  MoveWindow(control, TwipsToPixels(static_cast<float>(place.left), dpi),
             TwipsToPixels(static_cast<float>(place.top), dpi),
             TwipsToPixels(static_cast<float>(place.width), dpi),
             TwipsToPixels(static_cast<float>(place.height), dpi), TRUE);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace velloran::platform::win32
