// Adding files through the open dialog, removing entries, and the list's
// horizontal extent.
#include <string>
#include <vector>

#include "platform/error.h"
#include "tests/handlers/handler_fixture.h"

namespace velloran::testing {
namespace {

using Entries = std::vector<std::string>;
using Showing = platform::fake::FakeCommonDialog::Showing;
const std::string kNul(1, '\0');

class FileListTest : public HandlerTest {
 protected:
  FileListTest() { Load(); }
};

TEST_F(FileListTest, OpenDialogIsSetUpBeforeEveryShowing) {
  AddFiles("/work/list.txt");
  ui_.commonDialog1.SetFlags(0);
  ui_.commonDialog1.SetFilter("");
  AddFiles("/work/other.txt");

  // Read-only ticked, several picks allowed, explorer style, long names.
  constexpr std::uint32_t kFlags = platform::kOfnReadOnly | platform::kOfnAllowMultiselect |
                                   platform::kOfnExplorer | platform::kOfnLongNames;
  for (const Showing& showing : ui_.commonDialog1.Showings()) {
    EXPECT_EQ(showing.kind, platform::fake::FakeCommonDialog::Kind::kOpen);
    EXPECT_EQ(showing.flags, kFlags);
    EXPECT_EQ(showing.title, "Add File(s) - Hold Ctrl to select multiple files");
    EXPECT_EQ(showing.filter, "All Files (*.*)|*.*|");
  }
  // The dialog starts from whatever it reported last.
  EXPECT_EQ(ui_.commonDialog1.Showings()[1].file_name, "/work/list.txt");
}

// The save dialog runs with the flags the open dialog left, the user's
// read-only tick included.
TEST_F(FileListTest, TheReadOnlyTickTravelsToTheSaveDialog) {
  const std::string source = dir_.File("a.txt");
  WriteBytes(source, "a\na\n");
  ui_.commonDialog1.WillAccept(source, /*read_only_ticked=*/false);
  ui_.ClickCheck1();
  ui_.commonDialog1.WillCancel();
  ui_.ClickCheck2();
  ASSERT_EQ(ui_.commonDialog1.Showings().size(), 2u);
  EXPECT_TRUE(ui_.commonDialog1.Showings()[0].flags & platform::kOfnReadOnly);
  EXPECT_FALSE(ui_.commonDialog1.Showings()[1].flags & platform::kOfnReadOnly);
  EXPECT_TRUE(ui_.commonDialog1.Showings()[1].flags & platform::kOfnAllowMultiselect);
}

TEST_F(FileListTest, OnePickedFileIsAddedAsReported) {
  AddFiles("/work/list.txt");
  EXPECT_EQ(ui_.list1.Entries(), Entries{"/work/list.txt"});
}

TEST_F(FileListTest, SeveralPickedFilesJoinTheFolderInReportedOrder) {
  AddFiles("/first.txt");
  AddFiles("/work" + kNul + "m2.txt" + kNul + "m1.txt" + kNul + "m3.txt");
  EXPECT_EQ(ui_.list1.Entries(), (Entries{"/first.txt", Joined("/work", "m2.txt"),
                                          Joined("/work", "m1.txt"), Joined("/work", "m3.txt")}));
}

TEST_F(FileListTest, ARootFolderKeepsItsDoubledSeparator) {
  const std::string root(1, platform::kPathSeparator);
  AddFiles(root + kNul + "a.txt" + kNul + "b.txt");
  EXPECT_EQ(ui_.list1.Entries(), (Entries{root + root + "a.txt", root + root + "b.txt"}));
}

TEST_F(FileListTest, TheSameFileTwiceGivesTwoEntries) {
  AddFiles("/work/list.txt");
  AddFiles("/work/list.txt");
  EXPECT_EQ(ui_.list1.Entries(), (Entries{"/work/list.txt", "/work/list.txt"}));
}

TEST_F(FileListTest, ACancelOrAnEmptyReportAddsNothing) {
  AddFiles("/work/list.txt");
  ui_.commonDialog1.WillCancel();  // FileName still holds the last pick
  ui_.ClickCheck1();
  AddFiles("");
  EXPECT_EQ(ui_.list1.Entries(), Entries{"/work/list.txt"});
  EXPECT_TRUE(ui_.commonDialog1.AllAnswersUsed());
}

TEST_F(FileListTest, ManyPickedFilesAreAllAdded) {
  std::string report = "/big";
  for (int i = 0; i < 40000; ++i) report += kNul + "file" + std::to_string(i) + ".txt";
  AddFiles(report);
  ASSERT_EQ(ui_.list1.ListCount(), 40000);
  EXPECT_EQ(ui_.list1.List(39999), Joined("/big", "file39999.txt"));
}

// The fake measures 9 px per character in Arial 9; a scroll bar is 17 px.
TEST_F(FileListTest, ExtentIsTheWidestEntryInTheListFontPlusAScrollBar) {
  AddFiles("/a" + kNul + "abcdefghij" + kNul + "x");
  const std::string widest = Joined("/a", "abcdefghij");
  EXPECT_EQ(ui_.list1.HorizontalExtent(), 9 * static_cast<int>(widest.size()) + 17);
  EXPECT_EQ(ui_.form.GetFont(), (platform::Font{"Arial", false, 9}));
}

TEST_F(FileListTest, AmpersandsMeasureAsMnemonicPrefixes) {
  AddFiles("R&D");  // the & adds no width
  EXPECT_EQ(ui_.list1.HorizontalExtent(), 2 * 9 + 17);
  AddFiles("R&&D&&&&");  // each && measures as one &
  EXPECT_EQ(ui_.list1.HorizontalExtent(), 5 * 9 + 17);
}

TEST_F(FileListTest, AnEntryOutsideTheListIsAnErrorNamingItsIndex) {
  AddFiles("/w/1.txt");
  for (const int index : {1, -1}) {
    try {
      ui_.list1.List(index);
      ADD_FAILURE() << "read entry " << index;
    } catch (const platform::Error& error) {
      EXPECT_NE(std::string(error.what()).find("entry " + std::to_string(index)), std::string::npos)
          << error.what();
    }
  }
  EXPECT_THROW(ui_.list1.RemoveItem(1), platform::Error);
  EXPECT_EQ(ui_.list1.ListCount(), 1);
}

TEST_F(FileListTest, DoubleClickRemovesTheSelectedEntryOnly) {
  AddFiles("/w" + kNul + "1" + kNul + "2" + kNul + "3");
  ui_.list1.Select(1);
  ui_.DoubleClickList();
  EXPECT_EQ(ui_.list1.Entries(), (Entries{Joined("/w", "1"), Joined("/w", "3")}));

  ui_.DoubleClickList();  // nothing selected now
  EXPECT_EQ(ui_.list1.ListCount(), 2);
  EXPECT_TRUE(ui_.runtime.Messages().empty());
}

TEST_F(FileListTest, RemovingTheWidestEntryKeepsTheExtentUntilTheNextAddition) {
  AddFiles("/a-much-longer-entry.txt");
  AddFiles("/short");
  const int extent = ui_.list1.HorizontalExtent();
  ui_.list1.Select(0);
  ui_.DoubleClickList();
  EXPECT_EQ(ui_.list1.HorizontalExtent(), extent);

  AddFiles("/b");
  EXPECT_EQ(ui_.list1.HorizontalExtent(), 9 * 6 + 17);  // "/short" is widest now
}

}  // namespace
}  // namespace velloran::testing
