// The whole program on the Win32 backend with the real common dialogs and
// message boxes, played by a second thread: adding files, the removal run
// with its save dialogs and messages, the list's horizontal extent, a cancel
// in each dialog, and a slow run stopped by Cancel or by closing the window.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/form1.h"
#include "app/ui_description.h"
#include "platform/gui/win32/win32_backend.h"
#include "platform/os/win32/win32_text.h"
#include "tests/support/slow_work.h"
#include "tests/support/temp_dir.h"
#include "tests/win32/gui_driver.h"

namespace velloran::platform::win32 {
namespace {

using testing::GuiDriver;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr wchar_t kAddTitle[] = L"Add File(s) - Hold Ctrl to select multiple files";
constexpr int kReadOnlyBox = 0x410;  // chx1

std::vector<std::string> ListEntries(HWND list) {
  std::vector<std::string> entries;
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    entries.push_back(Narrow(text));
  }
  return entries;
}

// Width of `text` in Arial 9 pt by DrawTextW's rules, measured here without
// the backend.
int ArialNineWidth(HWND window, const std::wstring& text, UINT dpi) {
  HFONT font = CreateFontW(-MulDiv(9, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                           DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
  HDC dc = GetDC(window);
  HGDIOBJ previous = SelectObject(dc, font);
  RECT rect{};
  DrawTextW(dc, text.c_str(), -1, &rect, DT_CALCRECT);
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
  DeleteObject(font);
  return rect.right;
}

class DialogsTest : public ::testing::Test {
 protected:
  TempDir folder_;
  std::string dir_ = testing::Utf8(folder_.path());
  std::wstring wide_dir_ = Widen(dir_);
  Win32Backend backend_{GetModuleHandleW(nullptr), kUiDescription};
  FormWindow& form_ = backend_.form();
  Form1 program_{backend_.GetControls()};

  // Picks `names` in the folder through the open dialog, as a user who types
  // the folder, presses Open, then types the quoted names.
  void PickInOpenDialog(GuiDriver& user, const std::wstring& names, bool* read_only_ticked) {
    user.Click(form_.check1().hwnd());
    HWND dialog = user.WaitForFileDialog(kAddTitle);
    if (read_only_ticked)
      *read_only_ticked = IsDlgButtonChecked(dialog, kReadOnlyBox) == BST_CHECKED;
    GuiDriver::SetFileNameField(dialog, wide_dir_);
    GuiDriver::PressNow(dialog, IDOK);
    GuiDriver::SetFileNameField(dialog, names);
    GuiDriver::Press(dialog, IDOK);
    user.WaitUntilGone(dialog);
  }

  // Answers the save dialog for `entry` with `name` in the same folder and
  // returns the name the dialog offered first.
  std::wstring SaveAs(GuiDriver& user, const std::string& entry, const std::wstring& name) {
    HWND dialog = user.WaitForFileDialog(L"Save " + Widen(entry) + L" As");
    const std::wstring offered = GuiDriver::FileNameField(dialog);
    GuiDriver::SetFileNameField(dialog, name);
    GuiDriver::Press(dialog, IDOK);
    user.WaitUntilGone(dialog);
    return offered;
  }

  std::wstring AcknowledgeMessage(GuiDriver& user) {
    HWND box = user.WaitForMessageBox();
    const std::wstring text = GuiDriver::MessageText(box);
    GuiDriver::Press(box, IDOK);
    user.WaitUntilGone(box);
    return text;
  }
};

TEST_F(DialogsTest, AddsThreeFilesRemovesDuplicatesAndSaves) {
  WriteBytes(folder_.File("m1.txt"), "a\r\nb\r\na\r\nc\r\nb\r\n");
  WriteBytes(folder_.File("m2.txt"), "x\r\ny\r\n");
  WriteBytes(folder_.File("тест Ω.txt"), "q\r\nq\r\n \r\n");
  const std::string m1 = folder_.File("m1.txt");
  const std::string m2 = folder_.File("m2.txt");
  const std::string m3 = folder_.File("тест Ω.txt");

  bool read_only_ticked = false;
  std::vector<std::string> entries;
  std::vector<std::wstring> offered, messages;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"Velloran");
    PickInOpenDialog(user, L"\"m1.txt\" \"m2.txt\" \"тест Ω.txt\"", &read_only_ticked);
    entries = ListEntries(form_.list1().hwnd());

    user.Click(form_.check2().hwnd());
    offered.push_back(SaveAs(user, m1, L"out1.txt"));
    messages.push_back(AcknowledgeMessage(user));
    offered.push_back(SaveAs(user, m3, L"out Ω.txt"));
    messages.push_back(AcknowledgeMessage(user));
    PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(backend_.Run(program_), 0);
  ASSERT_EQ(driver.Finish(), "");

  EXPECT_TRUE(read_only_ticked);
  EXPECT_EQ(entries, (std::vector<std::string>{m1, m2, m3}));
  EXPECT_EQ(offered, (std::vector<std::wstring>{L"m1.txt", L"тест Ω.txt"}));
  const std::wstring created = L"File(s) created: \r\r" + Widen(folder_.File("out1.txt")) +
                               L"\r\r" + Widen(folder_.File("out Ω.txt"));
  EXPECT_EQ(messages, (std::vector<std::wstring>{L"No duplicates found in " + Widen(m2), created}));
  EXPECT_EQ(ReadBytes(folder_.File("out1.txt")), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(ReadBytes(folder_.File("out Ω.txt")), "q\r\n\r\n");
  EXPECT_EQ(ReadBytes(m1), "a\r\nb\r\na\r\nc\r\nb\r\n");
}

TEST_F(DialogsTest, WideEntryGetsAHorizontalExtent) {
  const std::wstring wide_name =
      L"a rather long file name & one that is much wider than the list itself.txt";
  std::vector<std::string> entries;
  LRESULT extent = 0;
  bool scroll_bar = false;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"Velloran");
    PickInOpenDialog(user, wide_name, nullptr);  // need not exist
    entries = ListEntries(form_.list1().hwnd());
    extent = SendMessageW(form_.list1().hwnd(), LB_GETHORIZONTALEXTENT, 0, 0);
    scroll_bar = GetWindowLongPtrW(form_.list1().hwnd(), GWL_STYLE) & WS_HSCROLL;
    PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  });
  backend_.Run(program_);
  ASSERT_EQ(driver.Finish(), "");

  const std::wstring entry = wide_dir_ + L"\\" + wide_name;
  ASSERT_EQ(entries, (std::vector<std::string>{Narrow(entry)}));
  const int width = ArialNineWidth(GetDesktopWindow(), entry, 96);
  EXPECT_EQ(extent, width + GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_TRUE(scroll_bar);
}

TEST_F(DialogsTest, CancelledOpenDialogAddsNothing) {
  backend_.GetControls().commonDialog1.SetFileName("C:\\earlier\\pick.txt");
  std::vector<std::string> entries{"not read"};
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"Velloran");
    user.Click(form_.check1().hwnd());
    HWND dialog = user.WaitForFileDialog(kAddTitle);
    GuiDriver::Press(dialog, IDCANCEL);
    user.WaitUntilGone(dialog);
    entries = ListEntries(form_.list1().hwnd());
    PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  });
  backend_.Run(program_);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(backend_.GetControls().commonDialog1.FileName(), "C:\\earlier\\pick.txt");
}

TEST_F(DialogsTest, CancelledSaveDialogWritesNothing) {
  const std::string source = folder_.File("dupes.txt");
  WriteBytes(source, "k\r\nk\r\n");
  form_.list1().AddItem(source);
  bool quiet_after_cancel = false;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"Velloran");
    user.Click(form_.check2().hwnd());
    HWND dialog = user.WaitForFileDialog(L"Save " + Widen(source) + L" As");
    GuiDriver::Press(dialog, IDCANCEL);
    user.WaitUntilGone(dialog);
    quiet_after_cancel = user.NoDialogFor(std::chrono::milliseconds(700));
    PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  });
  backend_.Run(program_);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_TRUE(quiet_after_cancel);
  EXPECT_EQ(ReadBytes(source), "k\r\nk\r\n");
  EXPECT_EQ(testing::ListFolder(folder_.path()), "dupes.txt");
}

// A close request while the save dialog waits ends the program as well: the
// dialog goes with the window, nothing is written, and no later file is
// asked about.
TEST_F(DialogsTest, ACloseRequestDuringTheSaveDialogEndsTheProgram) {
  for (const char* name : {"first.txt", "second.txt"}) {
    WriteBytes(folder_.File(name), "k\r\nk\r\n");
    form_.list1().AddItem(folder_.File(name));
  }
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"Velloran");
    user.Click(form_.check2().hwnd());
    const HWND dialog =
        user.WaitForFileDialog(L"Save " + Widen(folder_.File("first.txt")) + L" As");
    PostMessageW(form_.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    user.WaitUntilGone(dialog);
    if (!user.NoDialogFor(std::chrono::milliseconds(700)))
      throw std::runtime_error("a dialog showed after the close request");
  });
  EXPECT_EQ(backend_.Run(program_), 0);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_TRUE(form_.Ended());
  EXPECT_EQ(testing::ListFolder(folder_.path()), "first.txt second.txt");
  EXPECT_EQ(ReadBytes(folder_.File("first.txt")), "k\r\nk\r\n");
}

// Straight on the dialog object: a save over an existing file asks first.
TEST_F(DialogsTest, SaveOverAnExistingFileAsksFirst) {
  const std::string existing = folder_.File("taken.txt");
  WriteBytes(existing, "old");
  Win32CommonDialog dialog([] { return HWND{}; });
  dialog.SetDialogTitle("Save it");
  dialog.SetFileName(existing);
  bool asked = false;
  GuiDriver driver([&](GuiDriver& user) {
    HWND shown = user.WaitForFileDialog(L"Save it");
    GuiDriver::Press(shown, IDOK);
    HWND question = user.WaitForMessageBox(L"");
    asked = GetDlgItem(question, IDYES) != nullptr;
    GuiDriver::Press(question, IDYES);
    user.WaitUntilGone(shown);
  });
  const bool chosen = dialog.ShowSave();
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_TRUE(asked);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(dialog.FileName(), existing);
}

// Straight on the dialog object: the read-only box the user leaves goes back
// into Flags; a cancel writes nothing back.
TEST_F(DialogsTest, OpenWritesTheReadOnlyBoxBackIntoFlags) {
  const std::string file = folder_.File("a.txt");
  WriteBytes(file, "x");
  Win32CommonDialog dialog([] { return HWND{}; });
  dialog.SetDialogTitle("Pick one");
  dialog.SetFlags(kOfnReadOnly | kOfnExplorer | kOfnLongNames);
  auto pick = [&](bool tick, int button) {
    dialog.SetFileName(file);
    GuiDriver driver([&](GuiDriver& user) {
      HWND shown = user.WaitForFileDialog(L"Pick one");
      CheckDlgButton(shown, kReadOnlyBox, tick ? BST_CHECKED : BST_UNCHECKED);
      GuiDriver::Press(shown, button);
      user.WaitUntilGone(shown);
    });
    const bool chosen = dialog.ShowOpen();
    EXPECT_EQ(driver.Finish(), "");
    return chosen;
  };
  ASSERT_TRUE(pick(false, IDOK));
  EXPECT_EQ(dialog.Flags(), kOfnExplorer | kOfnLongNames);
  ASSERT_TRUE(pick(true, IDOK));
  EXPECT_EQ(dialog.Flags(), kOfnReadOnly | kOfnExplorer | kOfnLongNames);
  ASSERT_FALSE(pick(false, IDCANCEL));
  EXPECT_EQ(dialog.Flags(), kOfnReadOnly | kOfnExplorer | kOfnLongNames);
}

// The program on files whose work is slow: `slow.txt` takes a second to get
// going, which opens the progress window.
class SlowDialogsTest : public DialogsTest {
 protected:
  testing::SlowWorkRuntime slow_{backend_.GetControls().runtime, std::chrono::seconds(1),
                                 folder_.File("slow.txt")};
  Controls controls_ = backend_.GetControls();
  Form1 slow_program_{Controls{controls_.form, controls_.list1, controls_.check1, controls_.check2,
                               controls_.commonDialog1, slow_}};

  HWND WaitForProgress(GuiDriver& user) {
    return user.WaitForWindow(L"VelloranProgress", L"Velloran");
  }
};

// The file being read is left alone, no later file is read, and the closing
// message names the file written before.
TEST_F(SlowDialogsTest, CancelStopsTheRunAndNamesWhatWasWrittenBefore) {
  for (const char* name : {"fast.txt", "slow.txt", "later.txt"}) {
    WriteBytes(folder_.File(name), "k\r\nk\r\n");
    form_.list1().AddItem(folder_.File(name));
  }
  std::wstring closing;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"Velloran");
    user.Click(form_.check2().hwnd());
    SaveAs(user, folder_.File("fast.txt"), L"fast-out.txt");
    GuiDriver::Click(GetDlgItem(WaitForProgress(user), IDCANCEL));
    closing = AcknowledgeMessage(user);
    PostMessageW(form_.hwnd(), WM_CLOSE, 0, 0);
  });
  backend_.Run(slow_program_);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_EQ(closing, L"File(s) created: \r\r" + Widen(folder_.File("fast-out.txt")));
  EXPECT_EQ(ReadBytes(folder_.File("slow.txt")), "k\r\nk\r\n");
  EXPECT_EQ(testing::ListFolder(folder_.path()), "fast-out.txt fast.txt later.txt slow.txt");
}

// A whole run from the keyboard alone: Tab to the add button, Space, the
// file's path typed and Enter, twice; Tab to the remove button, Space; Enter
// in the save dialog (and on its question, as the offered name is the file
// itself); Escape in the progress window; Enter on the closing message;
// Alt+F4.
TEST_F(SlowDialogsTest, AWholeRunFromTheKeyboardAlone) {
  WriteBytes(folder_.File("fast.txt"), "k\r\nk\r\n");
  WriteBytes(folder_.File("slow.txt"), "s\r\ns\r\n");
  std::vector<std::string> entries;
  std::wstring closing;
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"Velloran");
    user.WaitForFocusIn(form_.command1());
    user.PressKey(VK_TAB);
    user.WaitForFocusIn(form_.list1().hwnd());
    user.PressKey(VK_TAB);
    user.WaitForFocusIn(form_.check1().hwnd());
    for (const char* name : {"fast.txt", "slow.txt"}) {
      user.PressKey(VK_SPACE);
      const HWND dialog = user.WaitForFileDialog(kAddTitle);
      user.WaitForFocusIn(dialog);
      user.Type(Widen(folder_.File(name)));
      user.PressKey(VK_RETURN);
      user.WaitUntilGone(dialog);
      user.WaitForFocusIn(form_.check1().hwnd());
    }
    entries = ListEntries(form_.list1().hwnd());

    user.PressKey(VK_TAB);
    user.WaitForFocusIn(form_.check2().hwnd());
    user.PressKey(VK_SPACE);
    const HWND save = user.WaitForFileDialog(L"Save " + Widen(folder_.File("fast.txt")) + L" As");
    user.WaitForFocusIn(save);
    user.PressKey(VK_RETURN);
    const HWND question = user.WaitForMessageBox(L"");
    user.WaitForFocusIn(question);
    user.PressKey(VK_RETURN);
    user.WaitUntilGone(save);

    const HWND progress = WaitForProgress(user);
    user.WaitForFocusIn(progress);
    user.PressKey(VK_ESCAPE);
    const HWND message = user.WaitForMessageBox();
    closing = GuiDriver::MessageText(message);
    user.WaitForFocusIn(message);
    user.PressKey(VK_RETURN);
    user.WaitUntilGone(message);
    user.WaitForFocusIn(form_.hwnd());
    user.PressAltF4();
  });
  EXPECT_EQ(backend_.Run(slow_program_), 0);
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_TRUE(form_.Ended());
  EXPECT_EQ(entries,
            (std::vector<std::string>{folder_.File("fast.txt"), folder_.File("slow.txt")}));
  EXPECT_EQ(closing, L"File(s) created: \r\r" + Widen(folder_.File("fast.txt")));
  EXPECT_EQ(ReadBytes(folder_.File("fast.txt")), "k\r\n");
  EXPECT_EQ(ReadBytes(folder_.File("slow.txt")), "s\r\ns\r\n");
  EXPECT_EQ(testing::ListFolder(folder_.path()), "fast.txt slow.txt");
}

// A close request while the slow file is read, before its progress window
// shows or while it shows: the frame's close button, Alt+F4 and the task
// bar's Close (WM_SYSCOMMAND SC_CLOSE, which reaches the window even while the
// progress window keeps it disabled), or WM_CLOSE. The read stops as Cancel
// stops it, and the program ends at once: no save dialog for a later file, no
// closing message for the file written before, no temporary data left.
struct CloseRequest {
  UINT message;
  WPARAM wparam;
  bool progress_shown;
};

class CloseDuringTheRunTest : public SlowDialogsTest,
                              public ::testing::WithParamInterface<CloseRequest> {};

TEST_P(CloseDuringTheRunTest, EndsTheProgramAtOnceWithTheFileUntouched) {
  for (const char* name : {"fast.txt", "slow.txt", "later.txt"}) {
    WriteBytes(folder_.File(name), "k\r\nk\r\n");
    form_.list1().AddItem(folder_.File(name));
  }
  const CloseRequest request = GetParam();
  bool progress_seen_before_close = false;
  std::atomic<std::chrono::steady_clock::time_point> asked{};
  GuiDriver driver([&](GuiDriver& user) {
    user.WaitForWindow(L"VelloranForm1", L"Velloran");
    user.Click(form_.check2().hwnd());
    SaveAs(user, folder_.File("fast.txt"), L"fast-out.txt");
    if (request.progress_shown) {
      WaitForProgress(user);
    } else {
      // Written, so slow.txt is being read: its progress window is half a
      // second away.
      user.WaitUntil([&] { return testing::ListFolder(folder_.path()).find("fast-out") == 0; },
                     L"fast-out.txt");
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      progress_seen_before_close = FindWindowW(L"VelloranProgress", nullptr) != nullptr;
    }
    asked = std::chrono::steady_clock::now();
    PostMessageW(form_.hwnd(), request.message, request.wparam, 0);
    // What showed is closed, so that a failing run still ends.
    if (!user.NoDialogFor(std::chrono::milliseconds(700)))
      throw std::runtime_error("a dialog showed after the close request");
  });
  EXPECT_EQ(backend_.Run(slow_program_), 0);
  const auto took = std::chrono::steady_clock::now() - asked.load();
  ASSERT_EQ(driver.Finish(), "");
  EXPECT_FALSE(progress_seen_before_close);
  EXPECT_TRUE(form_.Ended());
  EXPECT_LT(took, std::chrono::milliseconds(1000));
  EXPECT_EQ(ReadBytes(folder_.File("slow.txt")), "k\r\nk\r\n");
  EXPECT_EQ(testing::ListFolder(folder_.path()), "fast-out.txt fast.txt later.txt slow.txt");
}

INSTANTIATE_TEST_SUITE_P(
    Requests, CloseDuringTheRunTest,
    ::testing::Values(CloseRequest{WM_SYSCOMMAND, SC_CLOSE, false},
                      CloseRequest{WM_SYSCOMMAND, SC_CLOSE, true}, CloseRequest{WM_CLOSE, 0, true}),
    [](const ::testing::TestParamInfo<CloseRequest>& param_info) {
      return std::string(param_info.param.message == WM_CLOSE ? "WmClose" : "ScClose") +
             (param_info.param.progress_shown ? "WhileProgressShows" : "BeforeProgressShows");
    });

}  // namespace
}  // namespace velloran::platform::win32
