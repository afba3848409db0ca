#include "platform/gui/win32/win32_window.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/error.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/gui/win32/win32_accessible.h"
#include "platform/gui/win32/win32_controls.h"
#include "platform/gui/win32/win32_dpi.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

// The property that leads a control's messages to what the window keeps of it.
constexpr wchar_t kBuiltProperty[] = L"VelloranControl";

}  // namespace

DescribedWindow::DescribedWindow(const Frame& frame, int client_width, int client_height,
                                 std::vector<Control> controls)
    : frame_(frame), client_width_(client_width), client_height_(client_height) {
  // The keyboard's order: lowest tab index first, the given order where two
  // are equal. Creation in that order is what dialog-style Tab follows.
  std::stable_sort(controls.begin(), controls.end(), [](const Control& a, const Control& b) {
    return a.description->tab_index < b.description->tab_index;
  });
  controls_.resize(controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) controls_[i].control = controls[i];
}

DescribedWindow::~DescribedWindow() { Destroy(); }

void DescribedWindow::RegisterWindowClass(HINSTANCE instance) const {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &DescribedWindow::WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = frame_.icon;
  window_class.hIconSm = frame_.small_icon;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = frame_.background;
  window_class.lpszClassName = frame_.class_name;
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw Error(toolkit_messages::kCannotRegisterWindowClass, Narrow(frame_.class_name),
                SystemMessage(GetLastError()));
}

void DescribedWindow::Create(HINSTANCE instance, HWND owner, std::wstring_view caption) {
  RegisterWindowClass(instance);
  const std::wstring text(caption);
  if (!CreateWindowExW(frame_.ex_style, frame_.class_name, text.c_str(), frame_.style,
                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                       instance, this))
    throw Error(toolkit_messages::kCannotCreateWindow, Narrow(frame_.class_name),
                SystemMessage(GetLastError()));
  CreateControls(instance);
}

// Each control's messages pass through ControlProc first.
void DescribedWindow::CreateControls(HINSTANCE instance) {
  for (Built& built : controls_) {
    built.window = this;
    built.handle = CreateControl(instance, window_, *built.control.description, built.control.id);
    SetPropW(built.handle, kBuiltProperty, &built);
    built.original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        built.handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DescribedWindow::ControlProc)));
  }
}

void DescribedWindow::Destroy() {
  if (!window_) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  for (Built& built : controls_) built.window = nullptr;
  DestroyWindow(std::exchange(window_, nullptr));
}

HWND DescribedWindow::FirstInTabOrder() const {
  return controls_.empty() ? nullptr : controls_.front().handle;
}

HWND DescribedWindow::ControlFor(const ControlDescription& description) const {
  for (const Built& built : controls_) {
    if (built.control.description == &description) return built.handle;
  }
  return nullptr;
}

void DescribedWindow::LayOut(UINT dpi) {
  const int client_width = TwipsToPixels(static_cast<float>(client_width_), dpi);
  const int client_height = TwipsToPixels(static_cast<float>(client_height_), dpi);
  SIZE outer = OuterSizeForClient(client_width, client_height, frame_.style, frame_.ex_style, dpi);
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

  std::vector<UniqueFont> fonts;
  fonts.reserve(controls_.size());
  for (const Built& built : controls_) {
    fonts.push_back(MakeFont(built.control.description->font.value_or(kDefaultFont), dpi));
  }
  // Each control gets its new font before the old one is deleted.
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    PlaceControl(controls_[i].handle, controls_[i].control.description->place, fonts[i].get(), dpi);
    controls_[i].font = std::move(fonts[i]);
  }
}

void DescribedWindow::FollowDpiChange(WPARAM wparam, LPARAM lparam) {
  const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut(HIWORD(wparam));
}

LRESULT CALLBACK DescribedWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<DescribedWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<DescribedWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    for (Built& built : self->controls_) built.window = nullptr;
    self->window_ = nullptr;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  try {
    return self->HandleMessage(message, wparam, lparam);
  } catch (...) {
    self->OnCaughtException();
    return 0;
  }
}

LRESULT CALLBACK DescribedWindow::ControlProc(HWND control, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  const auto* built = static_cast<const Built*>(GetPropW(control, kBuiltProperty));
  const WNDPROC original = built->original;
  if (message == WM_GETOBJECT && HasAccessibleTexts(*built->control.description)) {
    if (const LRESULT answer =
            AnswerGetObject(control, *built->control.description, wparam, lparam))
      return answer;
  } else if (message == WM_NCDESTROY) {
    RemovePropW(control, kBuiltProperty);
  } else if (built->window) {
    try {
      built->window->OnControlMessage(built->control.id, message);
    } catch (...) {
      built->window->OnCaughtException();
    }
  }
  return CallWindowProcW(original, control, message, wparam, lparam);
}

}  // namespace velloran::platform::win32
