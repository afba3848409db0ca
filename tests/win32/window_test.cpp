// Form1's window on the Win32 backend, examined without running its loop:
// geometry, fonts, tab order, tool tip, the list, the pointer, measuring and
// the runtime services.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/ui_description.h"
#include "platform/error.h"
#include "platform/gui/win32/win32_backend.h"
#include "platform/mouse_pointer.h"
#include "platform/os/win32/win32_text.h"

#include <commctrl.h>  // after windows.h

namespace velloran::platform::win32 {
namespace {

RECT ClientRectOf(HWND control, HWND form) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

class WindowTest : public ::testing::Test {
 protected:
  Win32Backend backend_{GetModuleHandleW(nullptr), kUiDescription};
  FormWindow& form_ = backend_.form();
  HWND window_ = form_.hwnd();
  int Px(int pixels_at_96_dpi) const {
    return MulDiv(pixels_at_96_dpi, static_cast<int>(form_.Dpi()), 96);
  }
};

TEST_F(WindowTest, IsAFixedDialogWindowOutOfTheTaskBar) {
  RECT client{};
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, Px(419));
  EXPECT_EQ(client.bottom, Px(156));

  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_FALSE(GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_APPWINDOW);

  const HWND owner = GetWindow(window_, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_FALSE(IsWindowVisible(owner));

  EXPECT_NE(GetClassLongPtrW(window_, GCLP_HICON), 0);
}

// The window's background and the picture buttons' faces are white, the
// pictures the ones of the artwork, drawn in the middle of the face.
TEST_F(WindowTest, PaintsWhiteAndShowsThePictures) {
  RECT client{};
  GetClientRect(window_, &client);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, client.right, client.bottom);
  ReleaseDC(nullptr, screen);
  HGDIOBJ previous = SelectObject(dc, canvas);
  RECT all = client;
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SendMessageW(window_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(GetPixel(dc, Px(276), Px(150)), RGB(255, 255, 255));  // between list and buttons

  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = FormWindow::kCheck1;
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = form_.check1().hwnd();
  item.hDC = dc;
  GetClientRect(item.hwndItem, &item.rcItem);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SendMessageW(window_, WM_DRAWITEM, FormWindow::kCheck1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(GetPixel(dc, Px(5), Px(30)), RGB(255, 255, 255));  // left of the picture
  SelectObject(dc, previous);
  DeleteObject(canvas);
  DeleteDC(dc);

  for (const auto& [button, size] :
       {std::pair{&form_.check1(), SIZE{106, 66}}, std::pair{&form_.check2(), SIZE{130, 59}}}) {
    BITMAP picture{};
    ASSERT_TRUE(GetObjectW(button->picture(), sizeof picture, &picture));
    EXPECT_EQ(picture.bmWidth, size.cx);
    EXPECT_EQ(picture.bmHeight, size.cy);
  }
}

TEST_F(WindowTest, PlacesEachControlWithItsFont) {
  struct Expected {
    HWND control;
    RECT rect;  // at 96 DPI
  };
  const Expected controls[] = {
      {form_.command1(), {48, 176, 48 + 41, 176 + 33}},
      {form_.list1().hwnd(), {8, 8, 8 + 265, 8 + 139}},
      {form_.check1().hwnd(), {280, 8, 280 + 129, 8 + 65}},
      {form_.check2().hwnd(), {280, 80, 280 + 129, 80 + 65}},
  };
  for (const Expected& expected : controls) {
    const RECT rect = ClientRectOf(expected.control, window_);
    EXPECT_EQ(rect.left, Px(expected.rect.left));
    EXPECT_EQ(rect.top, Px(expected.rect.top));
    EXPECT_EQ(rect.right - rect.left, Px(expected.rect.right - expected.rect.left));
    EXPECT_EQ(rect.bottom - rect.top, Px(expected.rect.bottom - expected.rect.top));
  }

  const LOGFONTW list_font = FontOf(form_.list1().hwnd());
  EXPECT_STREQ(list_font.lfFaceName, L"Arial");
  EXPECT_EQ(list_font.lfHeight, -Px(12));
  EXPECT_EQ(list_font.lfWeight, FW_NORMAL);
  const LOGFONTW button_font = FontOf(form_.check2().hwnd());
  EXPECT_STREQ(button_font.lfFaceName, L"Arial");
  EXPECT_EQ(button_font.lfHeight, -Px(15));
  EXPECT_EQ(button_font.lfWeight, FW_BOLD);

  const LONG_PTR list_style = GetWindowLongPtrW(form_.list1().hwnd(), GWL_STYLE);
  EXPECT_TRUE(list_style & LBS_NOTIFY);
  EXPECT_FALSE(list_style & LBS_SORT);
}

TEST_F(WindowTest, TabsFromCommand1ThroughTheListAndBothButtons) {
  HWND expected[] = {form_.list1().hwnd(), form_.check1().hwnd(), form_.check2().hwnd(),
                     form_.command1()};
  HWND current = form_.command1();
  for (HWND next : expected) {
    current = GetNextDlgTabItem(window_, current, FALSE);
    EXPECT_EQ(current, next);
  }
  wchar_t caption[16] = {};
  GetWindowTextW(form_.command1(), caption, 16);
  EXPECT_STREQ(caption, L"Command1");
}

// Keeps the tool tip among a thread's windows; of the system's calling
// convention (stdcall in a 32-bit program), which a lambda does not have.
BOOL CALLBACK FindToolTip(HWND window, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) == TOOLTIPS_CLASSW) *reinterpret_cast<HWND*>(found) = window;
  return TRUE;
}

TEST_F(WindowTest, ListHasItsToolTip) {
  HWND tool_tip = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&tool_tip));
  ASSERT_NE(tool_tip, nullptr);
  EXPECT_EQ(GetWindow(tool_tip, GW_OWNER), window_);

  wchar_t text[80] = {};
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(form_.list1().hwnd());
  tool.lpszText = text;
  SendMessageW(tool_tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, L"Double click list item to remove it.");
}

TEST_F(WindowTest, ListKeepsUnicodeEntriesInOrder) {
  Win32ListBox& list = form_.list1();
  EXPECT_EQ(list.ListIndex(), -1);
  list.AddItem("b.txt");
  list.AddItem("C:\\данные\\Ωmega 日本.txt");
  list.AddItem("a.txt");
  ASSERT_EQ(list.ListCount(), 3);
  EXPECT_EQ(list.List(0), "b.txt");  // unsorted
  EXPECT_EQ(list.List(1), "C:\\данные\\Ωmega 日本.txt");
  EXPECT_THROW(list.List(5), Error);
  EXPECT_THROW(list.List(-1), Error);

  list.RemoveItem(0);
  EXPECT_EQ(list.ListCount(), 2);
  EXPECT_EQ(list.List(1), "a.txt");
  EXPECT_THROW(list.RemoveItem(-1), Error);
  EXPECT_THROW(list.RemoveItem(2), Error);

  list.SetHorizontalExtent(900);
  EXPECT_EQ(SendMessageW(list.hwnd(), LB_GETHORIZONTALEXTENT, 0, 0), 900);
  EXPECT_EQ(list.GetFont(), (Font{"Arial", false, 9.0}));
}

TEST_F(WindowTest, MeasuresByTheRulesOfDrawText) {
  form_.SetFontName("Arial");
  form_.SetFontBold(false);
  form_.SetFontSize(9);
  EXPECT_EQ(form_.GetFont(), (Font{"Arial", false, 9.0}));
  const int plain = form_.MeasureText("ab");
  EXPECT_GT(plain, 0);
  EXPECT_EQ(form_.MeasureText("a&b"), plain);   // a mnemonic prefix
  EXPECT_GT(form_.MeasureText("a&&b"), plain);  // one & drawn
  EXPECT_EQ(form_.MeasureText("a&&b"), form_.MeasureText("a&&&b"));
  EXPECT_EQ(form_.MeasureText("ab\r\nx"), plain);  // the widest line counts
  EXPECT_EQ(form_.MeasureText(""), 0);

  const std::string sample = "The quick brown fox jumps over the lazy dog";
  const int regular = form_.MeasureText(sample);
  form_.SetFontBold(true);
  EXPECT_GT(form_.MeasureText(sample), regular);
  form_.SetFontBold(false);
  form_.SetFontSize(18);
  EXPECT_NEAR(form_.MeasureText(sample), 2 * regular, regular / 10);
}

TEST_F(WindowTest, PointerFollowsMousePointer) {
  const LPARAM over_client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  HWND list = form_.list1().hwnd();

  form_.SetMousePointer(kPointerHourglass);
  EXPECT_TRUE(SendMessageW(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(window_), over_client));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  SetCursor(nullptr);
  SendMessageW(list, WM_SETCURSOR, reinterpret_cast<WPARAM>(list), over_client);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));  // over the controls too

  form_.SetMousePointer(kPointerArrow);
  SendMessageW(list, WM_SETCURSOR, reinterpret_cast<WPARAM>(list), over_client);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(form_.MousePointer(), kPointerArrow);
}

TEST_F(WindowTest, CustomPointerComesFromTheCursorFileWithItsHotSpot) {
  const std::string cursor_path = backend_.GetControls().runtime.AppPath() + "\\HAND-M.CUR";
  std::ifstream file(Widen(cursor_path).c_str(), std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), {}};
  ASSERT_GE(bytes.size(), 14u);
  const int hot_x = static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11])
                                                                << 8;
  const int hot_y = static_cast<unsigned char>(bytes[12]) | static_cast<unsigned char>(bytes[13])
                                                                << 8;

  form_.LoadMouseIcon(cursor_path);
  form_.SetMousePointer(kPointerCustom);
  SendMessageW(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(window_),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  const HCURSOR shown = GetCursor();
  ASSERT_NE(shown, nullptr);
  EXPECT_NE(shown, LoadCursorW(nullptr, IDC_ARROW));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(shown, &info));
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  EXPECT_EQ(static_cast<int>(info.xHotspot), hot_x);
  EXPECT_EQ(static_cast<int>(info.yHotspot), hot_y);
}

TEST_F(WindowTest, UnreadablePointerFileIsAnErrorNamingIt) {
  const std::string not_a_cursor = backend_.GetControls().runtime.AppPath() + "\\missing.cur";
  try {
    form_.LoadMouseIcon(not_a_cursor);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find(not_a_cursor), std::string::npos) << error.what();
  }
}

TEST_F(WindowTest, RuntimeMeasuresTheScreenInTwips) {
  Runtime& runtime = backend_.GetControls().runtime;
  const float twips_per_pixel = 1440.0f / static_cast<float>(form_.Dpi());
  EXPECT_FLOAT_EQ(runtime.ScreenWidth(),
                  static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) * twips_per_pixel);
  EXPECT_FLOAT_EQ(runtime.ScreenHeight(),
                  static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * twips_per_pixel);
  EXPECT_EQ(runtime.VerticalScrollBarWidth(), GetSystemMetrics(SM_CXVSCROLL));

  form_.SetLeft(1500);
  form_.SetTop(-300);  // a window larger than the screen may start above it
  EXPECT_NEAR(form_.Left(), 1500, twips_per_pixel);
  EXPECT_NEAR(form_.Top(), -300, twips_per_pixel);
  RECT outer{};
  GetWindowRect(window_, &outer);
  EXPECT_FLOAT_EQ(form_.Width(), static_cast<float>(outer.right - outer.left) * twips_per_pixel);
}

// The build puts HAND-M.CUR beside every program, the tests included.
TEST_F(WindowTest, AppPathIsTheProgramsFolder) {
  const std::string folder = backend_.GetControls().runtime.AppPath();
  EXPECT_NE(folder.back(), '\\');
  EXPECT_NE(GetFileAttributesW(Widen(folder + "\\HAND-M.CUR").c_str()), INVALID_FILE_ATTRIBUTES)
      << folder;

  EXPECT_EQ(ProgramFolder(L"C:\\Tools\\Velloran\\velloran.exe"), L"C:\\Tools\\Velloran");
  EXPECT_EQ(ProgramFolder(L"C:\\velloran.exe"), L"C:\\");  // a drive's root keeps its separator
  EXPECT_EQ(ProgramFolder(L"\\\\server\\share\\velloran.exe"), L"\\\\server\\share");
  EXPECT_EQ(ProgramFolder(L"C:/Tools/velloran.exe"), L"C:/Tools");
  EXPECT_EQ(ProgramFolder(L"velloran.exe"), L"");
}

}  // namespace
}  // namespace velloran::platform::win32
