// The backend's event loop: the window's handlers run on the user's clicks,
// keys and mouse moves, one picture-button click acts once, an error from a
// handler shows in a message box, and closing the window ends the loop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ui_description.h"
#include "platform/error.h"
#include "platform/gui/win32/win32_backend.h"
#include "platform/os/win32/win32_text.h"
#include "tests/win32/gui_driver.h"
#include "tests/win32/recording_events.h"

namespace velloran::platform::win32 {
namespace {

using testing::GuiDriver;
using testing::RecordingEvents;

class EventsTest : public ::testing::Test {
 protected:
  Win32Backend backend_{GetModuleHandleW(nullptr), kUiDescription};
  FormWindow& form_ = backend_.form();
  RecordingEvents events_{backend_.GetControls()};

  HWND Focused(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(thread, &info);
    return info.hwndFocus;
  }
};

TEST_F(EventsTest, KeyboardStartsOnCommand1AndTabsToTheButtons) {
  std::vector<HWND> focus_seen;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    const DWORD thread = user.ui_thread();
    focus_seen.push_back(Focused(thread));
    user.Key(form_.command1(), VK_SPACE);  // Command1 has no handler
    user.Key(form_.command1(), VK_RETURN);
    for (int tab = 0; tab < 3; ++tab) {
      const HWND before = Focused(thread);
      user.Key(before, VK_TAB);
      user.WaitUntil([&] { return Focused(thread) != before; }, L"the focus to move on");
      focus_seen.push_back(Focused(thread));
    }
    user.Key(form_.check2().hwnd(), VK_SPACE);
    PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(backend_.Run(events_), 0);
  ASSERT_EQ(driver.Finish(), "");

  const std::vector<HWND> expected_focus = {form_.command1(), form_.list1().hwnd(),
                                            form_.check1().hwnd(), form_.check2().hwnd()};
  EXPECT_EQ(focus_seen, expected_focus);
  const std::vector<std::string> expected_calls = {"Form_Load", "Check2_Click(1)",
                                                   "Check2_Click(0)", "Form_Unload"};
  EXPECT_EQ(events_.calls, expected_calls);
  EXPECT_EQ(form_.check2().Value(), 0);
}

TEST_F(EventsTest, ClickActsOnceAndMouseMovesReachTheirHandlers) {
  int actions = 0;
  int value_during_action = -1;
  events_.check1_action = [&] {
    ++actions;
    value_during_action = form_.check1().Value();
  };
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    user.Click(form_.check1().hwnd());
    PostMessageW(form_.list1().hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PostMessageW(form_.check1().hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PostMessageW(form_.check2().hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PostMessageW(form_.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(415, 150));
    PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  });
  backend_.Run(events_);
  ASSERT_EQ(driver.Finish(), "");

  EXPECT_EQ(actions, 1);
  EXPECT_EQ(value_during_action, 0);  // raised before the action starts
  const std::vector<std::string> expected = {
      "Form_Load",        "Check1_Click(1)",  "Check1_Click(0)", "List1_MouseMove",
      "Check1_MouseMove", "Check2_MouseMove", "Form_MouseMove",  "Form_Unload"};
  std::vector<std::string> calls;
  for (const std::string& call : events_.calls) {  // real mouse moves may come in between
    if (calls.empty() || calls.back() != call) calls.push_back(call);
  }
  EXPECT_EQ(calls, expected);
}

TEST_F(EventsTest, HandlerErrorIsShownAndTheProgramGoesOn) {
  events_.check2_action = [] { throw Error("Cannot read", "C:\\lists\\a.txt", "Access denied."); };
  std::wstring shown;
  bool alive_after = false;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    user.Click(form_.check2().hwnd());
    HWND box = user.WaitForMessageBox();
    shown = GuiDriver::MessageText(box);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);  // OK only
    GuiDriver::Press(box, IDOK);
    user.WaitUntilGone(box);
    alive_after = IsWindowVisible(form_.hwnd());
    PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  });
  backend_.Run(events_);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_EQ(shown, L"Cannot read \"C:\\lists\\a.txt\": Access denied.");
  EXPECT_TRUE(alive_after);
  EXPECT_EQ(form_.check2().Value(), 0);
}

TEST_F(EventsTest, ListDoubleClickAndCloseEndTheLoop) {
  form_.list1().AddItem("one");
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    PostMessageW(form_.list1().hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 5));
    PostMessageW(form_.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_EQ(backend_.Run(events_), 0);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_EQ(events_.calls.back(), "Form_Unload");
  EXPECT_NE(std::find(events_.calls.begin(), events_.calls.end(), "List1_DblClick"),
            events_.calls.end());
  EXPECT_EQ(form_.hwnd(), nullptr);
}

// No exception may cross the system's code that calls the window procedure.
// One from the window's own work on a message, outside any handler (here the
// fonts made anew when the DPI changes, from a description whose font
// Windows cannot take), is shown in a message box, and the program goes on.
TEST(WindowErrorsTest, AFailureOutsideTheHandlersIsShownAndTheProgramGoesOn) {
  UiDescription description = kUiDescription;
  Win32Backend backend(GetModuleHandleW(nullptr), description);
  FormWindow& form = backend.form();
  RecordingEvents events(backend.GetControls());
  bool message_returned = false;
  events.check1_action = [&] {
    description.form1.list1.font = Font{std::string(40, 'A'), false, 9};
    RECT outer{};
    GetWindowRect(form.hwnd(), &outer);
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&outer));
    message_returned = true;
  };
  std::wstring shown;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    user.Click(form.check1().hwnd());
    HWND box = user.WaitForMessageBox();
    shown = GuiDriver::MessageText(box);
    GuiDriver::Press(box, IDOK);
    user.WaitUntilGone(box);
    PostMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(backend.Run(events), 0);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_NE(shown.find(L"Cannot create the font \"AAAA"), std::wstring::npos) << Narrow(shown);
  EXPECT_TRUE(message_returned);
  EXPECT_EQ(events.calls.back(), "Form_Unload");
}

// A window that cannot be built is told in a message box, and no backend
// comes back for main to run.
TEST(WindowErrorsTest, AWindowThatCannotBeBuiltIsShownAndNoBackendReturned) {
  UiDescription description = kUiDescription;
  description.form1.list1.kind = ControlKind::kPictureButton;
  std::wstring shown;
  GuiDriver driver([&](GuiDriver& user) {
    HWND box = user.WaitForMessageBox();
    shown = GuiDriver::MessageText(box);
    GuiDriver::Press(box, IDOK);
    user.WaitUntilGone(box);
  });
  int argc = 0;
  EXPECT_EQ(CreateBackend(argc, nullptr, description), nullptr);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_EQ(shown, L"The window's description makes List1 a picture button; it must be a list box");
}

}  // namespace
}  // namespace velloran::platform::win32
