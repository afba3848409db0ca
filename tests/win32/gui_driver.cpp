#include "tests/win32/gui_driver.h"

#include <stdexcept>

#include "platform/os/win32/win32_text.h"

namespace velloran::testing {
namespace {

using namespace std::chrono_literals;
using platform::win32::Narrow;

constexpr auto kPatience = 20s;
constexpr auto kPollInterval = 20ms;

// The file name box of an explorer-style file dialog: the combo box cmb13,
// or the edit control edt1 in some templates.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;
// The text of a message box.
constexpr int kMessageText = 0xFFFF;

struct StepFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A callback of the system's calling convention (stdcall in a 32-bit
// program), which a lambda does not have.
BOOL CALLBACK AddWindow(HWND window, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

std::vector<HWND> ThreadWindows(DWORD thread) {
  std::vector<HWND> windows;
  EnumThreadWindows(thread, AddWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

HWND FileNameControl(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, kFileNameCombo); combo && IsWindowVisible(combo))
    return combo;
  return GetDlgItem(dialog, kFileNameEdit);
}

}  // namespace

GuiDriver::GuiDriver(Script script) : ui_thread_(GetCurrentThreadId()) {
  thread_ = std::thread([this, script = std::move(script)] {
    try {
      script(*this);
    } catch (const std::exception& error) {
      failure_ = error.what();
      Rescue();
    }
  });
}

GuiDriver::~GuiDriver() {
  if (thread_.joinable()) thread_.join();
}

std::string GuiDriver::Finish() {
  if (thread_.joinable()) thread_.join();
  return failure_;
}

HWND GuiDriver::WaitFor(const std::function<HWND()>& find, std::wstring_view what) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < deadline) {
    if (HWND window = find()) return window;
    std::this_thread::sleep_for(kPollInterval);
  }
  throw StepFailed("gave up waiting for " + Narrow(what));
}

HWND GuiDriver::WaitForWindow(std::wstring_view window_class, std::wstring_view title) {
  return WaitFor(
      [&]() -> HWND {
        for (HWND window : ThreadWindows(ui_thread_)) {
          if (IsWindowVisible(window) && ClassName(window) == window_class && Text(window) == title)
            return window;
        }
        return nullptr;
      },
      std::wstring(window_class) + L" \"" + std::wstring(title) + L"\"");
}

HWND GuiDriver::WaitForFileDialog(std::wstring_view title) {
  return WaitFor(
      [&]() -> HWND {
        for (HWND window : ThreadWindows(ui_thread_)) {
          if (IsWindowVisible(window) && ClassName(window) == L"#32770" && Text(window) == title &&
              FileNameControl(window))
            return window;
        }
        return nullptr;
      },
      L"the file dialog \"" + std::wstring(title) + L"\"");
}

HWND GuiDriver::WaitForMessageBox(std::wstring_view title) {
  return WaitFor(
      [&]() -> HWND {
        for (HWND window : ThreadWindows(ui_thread_)) {
          if (IsWindowVisible(window) && ClassName(window) == L"#32770" &&
              (title.empty() || Text(window) == title) && GetDlgItem(window, kMessageText))
            return window;
        }
        return nullptr;
      },
      L"a message box titled \"" + std::wstring(title) + L"\"");
}

void GuiDriver::WaitUntilGone(HWND window) {
  WaitFor([&]() -> HWND { return IsWindow(window) && IsWindowVisible(window) ? nullptr : window; },
          L"a window to close");
}

void GuiDriver::WaitUntil(const std::function<bool()>& condition, std::wstring_view what) {
  WaitFor([&]() -> HWND { return condition() ? HWND_MESSAGE : nullptr; }, what);
}

bool GuiDriver::NoDialogFor(std::chrono::milliseconds period) {
  const auto deadline = std::chrono::steady_clock::now() + period;
  while (std::chrono::steady_clock::now() < deadline) {
    for (HWND window : ThreadWindows(ui_thread_)) {
      if (IsWindowVisible(window) && ClassName(window) == L"#32770") return false;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

std::wstring GuiDriver::Text(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring GuiDriver::MessageText(HWND message_box) {
  return Text(GetDlgItem(message_box, kMessageText));
}

std::wstring GuiDriver::FileNameField(HWND file_dialog) {
  return Text(FileNameControl(file_dialog));
}

void GuiDriver::SetFileNameField(HWND file_dialog, std::wstring_view text) {
  const std::wstring name(text);
  SendMessageW(FileNameControl(file_dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

void GuiDriver::PressNow(HWND dialog, int button_id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button_id)));
}

void GuiDriver::Press(HWND dialog, int button_id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button_id)));
}

void GuiDriver::Click(HWND button) {
  PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

void GuiDriver::Key(HWND control, WPARAM virtual_key) {
  PostMessageW(control, WM_KEYDOWN, virtual_key, 1);
  PostMessageW(control, WM_KEYUP, virtual_key, 1 | (1u << 30) | (1u << 31));
}

HWND GuiDriver::Focused() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(ui_thread_, &info) ? info.hwndFocus : nullptr;
}

void GuiDriver::WaitForFocusIn(HWND window) {
  WaitUntil(
      [&] {
        const HWND focused = Focused();
        return focused && (focused == window || IsChild(window, focused));
      },
      L"the focus");
}

void GuiDriver::PressKey(WPARAM virtual_key) {
  WaitUntil([&] { return Focused() != nullptr; }, L"a control with the focus");
  Key(Focused(), virtual_key);
}

void GuiDriver::Type(std::wstring_view text) {
  WaitUntil([&] { return Focused() != nullptr; }, L"a control with the focus");
  const HWND focused = Focused();
  for (const wchar_t character : text) PostMessageW(focused, WM_CHAR, character, 1);
}

// Alt held: bit 29 of the key's flags.
void GuiDriver::PressAltF4() {
  WaitUntil([&] { return Focused() != nullptr; }, L"a control with the focus");
  const HWND focused = Focused();
  constexpr LPARAM kAltDown = LPARAM{1} << 29;
  PostMessageW(focused, WM_SYSKEYDOWN, VK_F4, 1 | kAltDown);
  PostMessageW(focused, WM_SYSKEYUP, VK_F4, 1 | kAltDown | (LPARAM{3} << 30));
}

// Cancels every dialog and closes every window of the thread under test,
// until none is left, so that its message loop ends.
void GuiDriver::Rescue() const {
  for (int round = 0; round < 100; ++round) {
    const std::vector<HWND> windows = ThreadWindows(ui_thread_);
    bool any_visible = false;
    for (HWND window : windows) {
      if (!IsWindowVisible(window)) continue;
      any_visible = true;
      if (ClassName(window) == L"#32770") {
        Press(window, IDCANCEL);
        Press(window, IDOK);
      } else {
        PostMessageW(window, WM_CLOSE, 0, 0);
      }
    }
    if (!any_visible) return;
    std::this_thread::sleep_for(100ms);
  }
}

}  // namespace velloran::testing
