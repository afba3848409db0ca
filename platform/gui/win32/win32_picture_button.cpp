#include "platform/gui/win32/win32_picture_button.h"

#include <string>
#include <utility>

#include "platform/error.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/gui/win32/win32_colour.h"
#include "platform/gui/win32/win32_handles.h"

namespace velloran::platform::win32 {
namespace {

constexpr int kUnchecked = 0;
constexpr int kChecked = 1;
constexpr int kGrayed = 2;
constexpr int kFocusInset = 4;

// Copies `picture` into the middle of `face`, scaled from 96 DPI to `dpi`.
void DrawPictureCentred(HDC dc, const RECT& face, HBITMAP picture, int shift, UINT dpi) {
  BITMAP info{};
  if (!picture || !GetObjectW(picture, sizeof info, &info)) return;
  const int width = MulDiv(info.bmWidth, static_cast<int>(dpi), 96);
  const int height = MulDiv(info.bmHeight, static_cast<int>(dpi), 96);
  const int left = face.left + (face.right - face.left - width) / 2 + shift;
  const int top = face.top + (face.bottom - face.top - height) / 2 + shift;

  const UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  const SelectedObject selected(source.get(), picture);
  if (width == info.bmWidth && height == info.bmHeight) {
    BitBlt(dc, left, top, width, height, source.get(), 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, left, top, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
  }
}

}  // namespace

Win32PictureButton::Win32PictureButton(std::function<void()> raise_click)
    : raise_click_(std::move(raise_click)) {}

void Win32PictureButton::Attach(HWND button, HBITMAP picture, std::optional<Colour> background) {
  button_ = button;
  picture_ = picture;
  background_ = background;
}

void Win32PictureButton::SetValue(int value) {
  if (value < kUnchecked || value > kGrayed)
    throw Error(toolkit_messages::InvalidPictureButtonValue(value));
  if (value == value_) return;
  value_ = value;
  ShowValue();
  raise_click_();
}

void Win32PictureButton::ToggleByUser() {
  value_ = value_ == kUnchecked ? kChecked : kUnchecked;
  ShowValue();
}

// Repaints at once: a handler may keep the thread busy right after a change.
void Win32PictureButton::ShowValue() const {
  if (button_) RedrawWindow(button_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void Win32PictureButton::Draw(const DRAWITEMSTRUCT& item, UINT dpi) const {
  const HDC dc = item.hDC;
  RECT face = item.rcItem;
  const bool pressed = value_ != kUnchecked || (item.itemState & ODS_SELECTED);

  // The picture may be taller than the face: the edge goes on top of it.
  FillBackground(dc, face, background_, COLOR_BTNFACE);
  DrawPictureCentred(dc, face, picture_, pressed ? 1 : 0, dpi);
  DrawEdge(dc, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -kFocusInset, -kFocusInset);
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace velloran::platform::win32
