// What a screen reader hears of the Win32 windows: every control's name,
// description and value read from another thread through Microsoft Active
// Accessibility (AccessibleObjectFromWindow), as an assistive program reads
// them; Wine's oleacc answers these calls.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "app/texts.h"
#include "app/ui_description.h"
#include "platform/gui/win32/win32_backend.h"
#include "platform/gui/win32/win32_progress_window.h"
#include "platform/os/win32/win32_text.h"
#include "tests/support/slow_work.h"
#include "tests/win32/gui_driver.h"
#include "tests/win32/recording_events.h"

// After the Windows headers, which they need.
#include <commctrl.h>
#include <oleacc.h>

namespace velloran::platform::win32 {
namespace {

using namespace std::chrono_literals;
using testing::GuiDriver;

struct Heard {
  std::wstring name;
  std::wstring description;
  std::wstring value;
};

std::wstring Take(HRESULT result, BSTR& text) {
  std::wstring taken = SUCCEEDED(result) && text ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return taken;
}

// The control's own accessible object, read on this thread.
Heard Hear(HWND control) {
  IAccessible* object = nullptr;
  const HRESULT found = AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&object));
  if (FAILED(found) || !object) return {L"<no accessible object>", {}, {}};
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  Heard heard;
  BSTR text = nullptr;
  heard.name = Take(object->get_accName(self, &text), text);
  text = nullptr;
  heard.description = Take(object->get_accDescription(self, &text), text);
  text = nullptr;
  heard.value = Take(object->get_accValue(self, &text), text);
  object->Release();
  return heard;
}

std::wstring W(std::string_view text) { return Widen(text); }

// COM on the reading thread, as a screen reader has it.
class ComOnThisThread {
 public:
  ComOnThisThread() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComOnThisThread() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComOnThisThread(const ComOnThisThread&) = delete;
  ComOnThisThread& operator=(const ComOnThisThread&) = delete;

 private:
  HRESULT result_;
};

class AccessibilityTest : public ::testing::Test {
 protected:
  Win32Backend backend_{GetModuleHandleW(nullptr), kUiDescription};
  FormWindow& form_ = backend_.form();
  testing::RecordingEvents events_{backend_.GetControls()};
};

// Every control the keyboard reaches has a name, the picture buttons after
// their pictures, and the unseen focus holder keeps its caption but is not
// heard as "Command1".
TEST_F(AccessibilityTest, EveryControlOfTheWindowIsNamed) {
  std::vector<Heard> tab_order;
  Heard command1, list1, check1, check2;
  std::wstring command1_caption;
  GuiDriver driver([&](GuiDriver& user) {
    const ComOnThisThread com;
    const HWND window = user.WaitForWindow(L"VelloranForm1", L"");
    command1 = Hear(form_.command1());
    command1_caption = GuiDriver::Text(form_.command1());
    list1 = Hear(form_.list1().hwnd());
    check1 = Hear(form_.check1().hwnd());
    check2 = Hear(form_.check2().hwnd());
    HWND control = form_.command1();
    do {
      tab_order.push_back(Hear(control));
      control = GetNextDlgTabItem(window, control, FALSE);
    } while (control && control != form_.command1() && tab_order.size() < 10);
    PostMessageW(window, WM_CLOSE, 0, 0);
  });
  backend_.Run(events_);
  ASSERT_EQ(driver.Finish(), "");

  EXPECT_EQ(command1.name, W(texts::kCommand1AccessibleName));
  EXPECT_EQ(command1_caption, L"Command1");
  EXPECT_EQ(list1.name, W(texts::kList1AccessibleName));
  EXPECT_EQ(list1.description, W(texts::kList1ToolTip));
  EXPECT_EQ(check1.name, W(texts::kCheck1AccessibleName));
  EXPECT_EQ(check1.description, W(texts::kCheck1AccessibleDescription));
  EXPECT_EQ(check2.name, W(texts::kCheck2AccessibleName));
  EXPECT_EQ(check2.description, W(texts::kCheck2AccessibleDescription));
  ASSERT_EQ(tab_order.size(), 4u);
  for (const Heard& heard : tab_order) {
    EXPECT_FALSE(heard.name.empty());
    EXPECT_NE(heard.name, L"Command1");
  }
}

// The progress window: the path and the step under names that say what they
// are, the bar with how far it has come, and Cancel.
TEST_F(AccessibilityTest, TheProgressWindowTellsTheFileTheStepAndHowFar) {
  constexpr char kSubject[] = "C:\\lists\\names.txt";
  const Work work = testing::TimedWork(3s);
  std::atomic<bool> ended{false};
  events_.check2_action = [&] {
    backend_.GetControls().runtime.RunWork(kSubject, work);
    ended = true;
  };
  Heard path, step, bar, cancel;
  int bar_before = 0, bar_after = 0;
  GuiDriver driver([&](GuiDriver& user) {
    const ComOnThisThread com;
    user.WaitForWindow(L"VelloranForm1", L"");
    user.Click(form_.check2().hwnd());
    const HWND progress = user.WaitForWindow(L"VelloranProgress", L"Velloran");
    const HWND bar_control = GetDlgItem(progress, ProgressWindow::kBar);
    path = Hear(GetDlgItem(progress, ProgressWindow::kPath));
    step = Hear(GetDlgItem(progress, ProgressWindow::kStep));
    bar_before = static_cast<int>(SendMessageW(bar_control, PBM_GETPOS, 0, 0));
    bar = Hear(bar_control);
    bar_after = static_cast<int>(SendMessageW(bar_control, PBM_GETPOS, 0, 0));
    cancel = Hear(GetDlgItem(progress, ProgressWindow::kCancel));
    GuiDriver::Click(GetDlgItem(progress, ProgressWindow::kCancel));
    user.WaitUntil([&] { return ended.load(); }, L"the work to stop");
    PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  });
  backend_.Run(events_);
  ASSERT_EQ(driver.Finish(), "");

  // The labels are read as the text they show, with what it is as their
  // description.
  EXPECT_EQ(path.description, W(texts::kProgressPathAccessibleDescription));
  EXPECT_EQ(path.value, L"C:\\lists\\names.txt");
  EXPECT_EQ(step.description, W(texts::kProgressStepAccessibleDescription));
  EXPECT_EQ(step.value, W(texts::kReading));
  EXPECT_EQ(bar.name, W(texts::kProgressBarAccessibleName));
  ASSERT_GE(bar.value.size(), 2u);
  EXPECT_EQ(bar.value.back(), L'%');
  const int percent = std::stoi(bar.value.substr(0, bar.value.size() - 1));
  EXPECT_GE(percent, bar_before / 10);  // the bar runs from 0 to 1000
  EXPECT_LE(percent, bar_after / 10);
  EXPECT_EQ(cancel.name, W(texts::kCancel));
}

}  // namespace
}  // namespace velloran::platform::win32
