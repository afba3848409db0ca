// Work off the user-interface thread on the Win32 backend, played from a
// second thread: the progress window that long work opens and its Cancel,
// and the main window kept answering, painted and deaf to clicks meanwhile.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/ui_description.h"
#include "platform/gui/win32/win32_backend.h"
#include "platform/gui/win32/win32_progress_window.h"
#include "tests/support/slow_work.h"
#include "tests/win32/gui_driver.h"
#include "tests/win32/recording_events.h"

// After the Windows headers, which it needs.
#include <commctrl.h>

namespace velloran::platform::win32 {
namespace {

using namespace std::chrono_literals;
using std::chrono::steady_clock;
using testing::GuiDriver;
using testing::TimedWork;

constexpr char kSubject[] = "C:\\lists\\names & numbers.txt";
constexpr wchar_t kProgressClass[] = L"VelloranProgress";

long long MillisecondsSince(steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now() - start).count();
}

HWND VisibleProgressWindow() {
  HWND window = FindWindowW(kProgressClass, nullptr);
  return window && IsWindowVisible(window) ? window : nullptr;
}

int BarPosition(HWND progress) {
  return static_cast<int>(SendDlgItemMessageW(progress, ProgressWindow::kBar, PBM_GETPOS, 0, 0));
}

// Check2 runs a piece of work through the runtime; the driver waits for its
// end.
class ProgressTest : public ::testing::Test {
 protected:
  ProgressTest() {
    events_.check2_action = [this] {
      ends_.push_back(backend_.GetControls().runtime.RunWork(kSubject, work_));
      ++works_ended_;
    };
  }

  // Clicks Check2 and waits until its work has ended.
  void RunWorkAndWait(GuiDriver& user) {
    const int before = works_ended_;
    user.Click(form_.check2().hwnd());
    user.WaitUntil([&] { return works_ended_ > before; }, L"the work to end");
  }
  void Close() const { PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0); }

  Win32Backend backend_{GetModuleHandleW(nullptr), kUiDescription};
  FormWindow& form_ = backend_.form();
  testing::RecordingEvents events_{backend_.GetControls()};
  Work work_;
  std::vector<WorkEnd> ends_;
  std::atomic<int> works_ended_{0};
};

TEST_F(ProgressTest, QuickWorkOpensNoWindow) {
  work_ = TimedWork(150ms);
  bool window_seen = false;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    user.Click(form_.check2().hwnd());
    user.WaitUntil(
        [&] {
          window_seen = window_seen || VisibleProgressWindow() != nullptr;
          return works_ended_ > 0;
        },
        L"the work to end");
    Close();
  });
  backend_.Run(events_);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_FALSE(window_seen);
  EXPECT_EQ(ends_, std::vector<WorkEnd>{WorkEnd::kFinished});
}

TEST_F(ProgressTest, SlowWorkShowsThePathTheStepAndAMovingBarModally) {
  work_ = TimedWork(1500ms, WorkStep::kRemoving, WorkStep::kWriting);
  long long opened_after = -1;
  std::wstring caption, path, step, button;
  RECT client{}, cancel_place{};
  bool owned_by_form = false;
  bool form_enabled_while_open = true;
  bool form_enabled_after = false;
  std::vector<int> bar;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    const auto start = steady_clock::now();
    user.Click(form_.check2().hwnd());
    HWND progress = user.WaitForWindow(kProgressClass, L"Velloran");
    opened_after = MillisecondsSince(start);
    caption = GuiDriver::Text(progress);
    path = GuiDriver::Text(GetDlgItem(progress, ProgressWindow::kPath));
    step = GuiDriver::Text(GetDlgItem(progress, ProgressWindow::kStep));
    button = GuiDriver::Text(GetDlgItem(progress, ProgressWindow::kCancel));
    GetClientRect(progress, &client);
    GetWindowRect(GetDlgItem(progress, ProgressWindow::kCancel), &cancel_place);
    MapWindowPoints(nullptr, progress, reinterpret_cast<POINT*>(&cancel_place), 2);
    owned_by_form = GetWindow(progress, GW_OWNER) == form_.hwnd();
    form_enabled_while_open = IsWindowEnabled(form_.hwnd());
    for (int sample = 0; sample < 6; ++sample) {
      bar.push_back(BarPosition(progress));
      std::this_thread::sleep_for(100ms);
    }
    user.WaitUntilGone(progress);
    user.WaitUntil([&] { return works_ended_ > 0; }, L"the work to end");
    form_enabled_after = IsWindowEnabled(form_.hwnd());
    Close();
  });
  backend_.Run(events_);
  ASSERT_EQ(driver.Finish(), "");

  EXPECT_GE(opened_after, 450);
  EXPECT_LT(opened_after, 1200);
  EXPECT_EQ(caption, L"Velloran");
  EXPECT_EQ(path, L"C:\\lists\\names & numbers.txt");
  EXPECT_EQ(step, L"Removing repeats...");
  EXPECT_EQ(button, L"Cancel");
  EXPECT_EQ(client.right, 400);  // 96 dots per inch
  EXPECT_EQ(client.bottom, 125);
  EXPECT_EQ(cancel_place.left, 313);
  EXPECT_EQ(cancel_place.top, 90);
  EXPECT_TRUE(owned_by_form);
  EXPECT_FALSE(form_enabled_while_open);
  EXPECT_TRUE(form_enabled_after);
  EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
  EXPECT_GT(bar.back(), bar.front());
  EXPECT_EQ(ends_, std::vector<WorkEnd>{WorkEnd::kFinished});
}

// The Cancel button clicked, Escape pressed on it, the frame's close button.
TEST_F(ProgressTest, CancelEscapeAndTheCloseButtonStopTheWork) {
  work_ = TimedWork(20s);
  std::vector<long long> took;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    for (int way = 0; way < 3; ++way) {
      const int before = works_ended_;
      user.Click(form_.check2().hwnd());
      HWND progress = user.WaitForWindow(kProgressClass, L"Velloran");
      HWND cancel = GetDlgItem(progress, ProgressWindow::kCancel);
      const auto start = steady_clock::now();
      if (way == 0) GuiDriver::Click(cancel);
      if (way == 1) GuiDriver::Key(cancel, VK_ESCAPE);
      if (way == 2) PostMessageW(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
      user.WaitUntil([&] { return works_ended_ > before; }, L"the work to stop");
      took.push_back(MillisecondsSince(start));
    }
    Close();
  });
  backend_.Run(events_);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_EQ(ends_, std::vector<WorkEnd>(3, WorkEnd::kStopRequested));
  for (const long long milliseconds : took) EXPECT_LT(milliseconds, 2000);
}

// Another thread's message and a repaint are answered within a tenth of a
// second while the work keeps its own thread busy, before the progress
// window opens and while it is open.
TEST_F(ProgressTest, TheWindowAnswersAndIsPaintedWhileWorkRuns) {
  work_ = testing::BusyWork(1500ms);
  long long longest_answer = 0;
  long long longest_paint = 0;
  int rounds = 0;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    user.Click(form_.check2().hwnd());
    const auto start = steady_clock::now();
    while (MillisecondsSince(start) < 1200) {
      auto asked = steady_clock::now();
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(form_.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
      longest_answer = std::max(longest_answer, MillisecondsSince(asked));
      asked = steady_clock::now();
      InvalidateRect(form_.hwnd(), nullptr, FALSE);
      user.WaitUntil([&] { return !GetUpdateRect(form_.hwnd(), nullptr, FALSE); },
                     L"the window to be painted");
      longest_paint = std::max(longest_paint, MillisecondsSince(asked));
      ++rounds;
      std::this_thread::sleep_for(30ms);
    }
    user.WaitUntil([&] { return works_ended_ > 0; }, L"the work to end");
    Close();
  });
  backend_.Run(events_);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_GE(rounds, 10);
  EXPECT_LT(longest_answer, 100);
  EXPECT_LT(longest_paint, 100);
}

TEST_F(ProgressTest, ClicksAndKeysOnTheWindowAreNotActedOnWhileWorkRuns) {
  work_ = TimedWork(1200ms);
  form_.list1().AddItem("C:\\a.txt");
  int entries_left = 0;
  const auto poke = [this] {
    GuiDriver::Click(form_.check1().hwnd());
    GuiDriver::Click(form_.check2().hwnd());
    PostMessageW(form_.list1().hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 5));
    GuiDriver::Key(form_.check2().hwnd(), VK_SPACE);
  };
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"");
    user.Click(form_.check2().hwnd());
    std::this_thread::sleep_for(100ms);
    poke();  // before the progress window opens
    user.WaitForWindow(kProgressClass, L"Velloran");
    poke();
    user.WaitUntil([&] { return works_ended_ > 0; }, L"the work to end");
    std::this_thread::sleep_for(100ms);  // what was let through would run now
    entries_left = form_.list1().ListCount();
    Close();
  });
  backend_.Run(events_);
  ASSERT_EQ(driver.Finish(), "");

  std::vector<std::string> clicks;  // real mouse moves may come in between
  for (const std::string& call : events_.calls) {
    if (call.find("MouseMove") == std::string::npos) clicks.push_back(call);
  }
  EXPECT_EQ(clicks, (std::vector<std::string>{"Form_Load", "Check2_Click(1)", "Check2_Click(0)",
                                              "Form_Unload"}));
  EXPECT_EQ(form_.check1().Value(), 0);
  EXPECT_EQ(entries_left, 1);
}

}  // namespace
}  // namespace velloran::platform::win32
