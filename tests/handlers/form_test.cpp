// The window's load sequence, pointer, picture buttons and closing.
#include <string>

#include "app/center_form.h"
#include "app/file_exists.h"
#include "platform/mouse_pointer.h"
#include "tests/handlers/handler_fixture.h"

namespace velloran::testing {
namespace {

constexpr std::string_view kCursorBytes("\0\0\2\0\1\0", 6);

TEST_F(HandlerTest, LoadCentresTheWindowAndSetsTheCaption) {
  ui_.runtime.SetScreenSize(19200, 14400);
  ui_.form.SetSize(6375, 2865);
  Load();
  EXPECT_EQ(ui_.form.Caption(), "Velloran");
  EXPECT_FLOAT_EQ(ui_.form.Left(), 6412.5f);  // unrounded: may end in one half
  EXPECT_FLOAT_EQ(ui_.form.Top(), 5767.5f);
  EXPECT_TRUE(ui_.runtime.Messages().empty());
}

TEST(CenterForm, AWindowLargerThanTheScreenGetsANegativePosition) {
  platform::fake::FakeWindow form(kUiDescription.form1);
  platform::fake::FakeRuntime screen;
  screen.SetScreenSize(4800, 2400);
  form.SetSize(6375, 2865);
  CenterForm(form, screen);
  EXPECT_FLOAT_EQ(form.Left(), -787.5f);
  EXPECT_FLOAT_EQ(form.Top(), -232.5f);
}

TEST_F(HandlerTest, LoadTakesThePointerFromTheProgramFolder) {
  WriteBytes(dir_.File("HAND-M.CUR"), kCursorBytes);
  ui_.runtime.SetAppPath(Utf8(dir_.path()));
  Load();
  EXPECT_EQ(ui_.form.MouseIconPath(), Joined(Utf8(dir_.path()), "HAND-M.CUR"));
  EXPECT_EQ(ui_.form.MousePointer(), platform::kPointerDefault);
}

TEST_F(HandlerTest, LoadJoinsARootFolderAndThePointerNameAsTheyAre) {
  WriteBytes(dir_.File("HAND-M.CUR"), kCursorBytes);
  const std::string folder_with_separator = Utf8(dir_.path()) + platform::kPathSeparator;
  ui_.runtime.SetAppPath(folder_with_separator);
  Load();
  EXPECT_EQ(ui_.form.MouseIconPath(),
            folder_with_separator + platform::kPathSeparator + "HAND-M.CUR");
}

TEST_F(HandlerTest, LoadWithoutAUsablePointerFileOpensQuietly) {
  ui_.runtime.SetAppPath(Utf8(dir_.path()));
  Load();  // no pointer file at all
  EXPECT_EQ(ui_.form.MouseIconPath(), "");

  WriteBytes(dir_.File("HAND-M.CUR"), "not a pointer");
  Load();  // a pointer file that cannot be loaded
  EXPECT_EQ(ui_.form.MouseIconPath(), "");
  EXPECT_EQ(ui_.form.Caption(), "Velloran");
  EXPECT_TRUE(ui_.runtime.Messages().empty());
}

// Which paths have no date is the file layer's to say (files_test.cpp); the
// probe turns its failure into false.
TEST(FileExists, IsFalseInsteadOfAnError) {
  TempDir dir;
  WriteBytes(dir.File("present.txt"), "x");
  EXPECT_TRUE(FileExists(dir.File("present.txt")));
  EXPECT_FALSE(FileExists(dir.File("missing.txt")));
  EXPECT_FALSE(FileExists(""));
}

TEST_F(HandlerTest, PointerFollowsTheMouseOverControlsAndBackground) {
  Load();  // no pointer file: the custom value is set all the same
  ui_.MoveMouseOverList();
  EXPECT_EQ(ui_.form.MousePointer(), platform::kPointerCustom);
  ui_.MoveMouseOverBackground();
  EXPECT_EQ(ui_.form.MousePointer(), platform::kPointerArrow);
  ui_.MoveMouseOverCheck1();
  EXPECT_EQ(ui_.form.MousePointer(), platform::kPointerCustom);
  ui_.MoveMouseOverBackground();
  ui_.MoveMouseOverCheck2();
  EXPECT_EQ(ui_.form.PointerHistory(), "99 1 99 1 99");
}

TEST_F(HandlerTest, EachClickActsOnceAndLeavesTheButtonRaised) {
  Load();
  ui_.commonDialog1.WillCancel();
  ui_.ClickCheck1();
  EXPECT_EQ(ui_.commonDialog1.Showings().size(), 1u);
  EXPECT_EQ(ui_.check1.Value(), 0);

  // A button found at 0 (such as the nested click) does nothing.
  form1_.Check1_Click();
  form1_.Check2_Click();
  EXPECT_EQ(ui_.commonDialog1.Showings().size(), 1u);

  ui_.ClickCheck2();  // an empty list: no dialog, no message
  EXPECT_EQ(ui_.check2.Value(), 0);
  EXPECT_TRUE(ui_.runtime.Messages().empty());
}

TEST_F(HandlerTest, ClosingEndsTheProgramWithoutAQuestion) {
  Load();
  AddFiles("/some/file.txt");
  ui_.CloseWindow();
  EXPECT_TRUE(ui_.runtime.HasEnded());
  EXPECT_TRUE(ui_.runtime.Messages().empty());
}

}  // namespace
}  // namespace velloran::testing
