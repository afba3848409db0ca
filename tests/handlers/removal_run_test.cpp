// The remove button's run over the listed files.
#include <string>
#include <vector>

#include "platform/mouse_pointer.h"
#include "tests/handlers/handler_fixture.h"

namespace velloran::testing {
namespace {

using Messages = std::vector<std::string>;
using Kind = platform::fake::FakeCommonDialog::Kind;

class RemovalRunTest : public HandlerTest {
 protected:
  RemovalRunTest() { Load(); }

  // Writes a source file and lists it.
  std::string ListFile(const std::string& name, const std::string& bytes) {
    std::string path = dir_.File(name);
    WriteBytes(path, bytes);
    AddFiles(path);
    return path;
  }
  void SaveAs(const std::string& path) { ui_.commonDialog1.WillAccept(path); }
  const Messages& Shown() const { return ui_.runtime.Messages(); }
};

TEST_F(RemovalRunTest, AnEmptyListShowsNothing) {
  ui_.ClickCheck2();
  EXPECT_TRUE(Shown().empty());
  EXPECT_TRUE(ui_.commonDialog1.Showings().empty());
}

TEST_F(RemovalRunTest, FilesWithoutRepeatsAreReportedInListOrder) {
  // Repeats count only within one file, never across files.
  const std::string first = ListFile("one.txt", "a\nb\n");
  const std::string second = ListFile("two.txt", "b\na\n\n\n");
  ui_.ClickCheck2();
  EXPECT_EQ(Shown(),
            (Messages{"No duplicates found in " + first, "No duplicates found in " + second}));
  EXPECT_EQ(ui_.commonDialog1.Showings().size(), 2u);  // the two open dialogs only
  EXPECT_EQ(ListFolder(dir_.path()), "one.txt two.txt");
}

TEST_F(RemovalRunTest, RepeatsAreDroppedAndTheOutputNamed) {
  const std::string source = ListFile("names.txt", "a\nb\na\nc\nb\n");
  const std::string output = dir_.File("names-clean.txt");
  SaveAs(output);
  ui_.ClickCheck2();

  const auto& save = ui_.commonDialog1.Showings().back();
  EXPECT_EQ(save.kind, Kind::kSave);
  EXPECT_EQ(save.title, "Save " + source + " As");
  EXPECT_EQ(save.file_name, source);
  EXPECT_EQ(ReadBytes(output), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(ReadBytes(source), "a\nb\na\nc\nb\n");
  EXPECT_EQ(Shown(), Messages{"File(s) created: \r\r" + output});
}

TEST_F(RemovalRunTest, ClosingMessageNamesEveryOutputEvenTheSameOneTwice) {
  ListFile("one.txt", "x\nx\n");
  ListFile("none.txt", "p\nq\n");
  ListFile("two.txt", "y\ny\nz\n");
  const std::string output = dir_.File("out.txt");
  SaveAs(output);
  SaveAs(output);
  ui_.ClickCheck2();
  EXPECT_EQ(ReadBytes(output), "y\r\nz\r\n");  // the second write replaced the first
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0], "No duplicates found in " + dir_.File("none.txt"));
  EXPECT_EQ(Shown()[1], "File(s) created: \r\r" + output + "\r\r" + output);
}

TEST_F(RemovalRunTest, ASingleSpaceLineIsWrittenEmpty) {
  ListFile("spaces.txt", " \nab\n \nab\n  \n");
  SaveAs(dir_.File("out.txt"));
  ui_.ClickCheck2();
  EXPECT_EQ(ReadBytes(dir_.File("out.txt")), "\r\nab\r\n  \r\n");
}

TEST_F(RemovalRunTest, AFirstLineNone911IsAnOrdinaryLine) {
  ListFile("marker.txt", "None911\nk\nk\n");
  SaveAs(dir_.File("out.txt"));
  ui_.ClickCheck2();
  EXPECT_EQ(ReadBytes(dir_.File("out.txt")), "None911\r\nk\r\n");
}

TEST_F(RemovalRunTest, ACancelledSaveSkipsThatFileOnly) {
  const std::string source = ListFile("first.txt", "a\na\n");
  ListFile("second.txt", "b\nb\n");
  ui_.commonDialog1.WillCancel();
  SaveAs(dir_.File("second-out.txt"));
  ui_.ClickCheck2();

  EXPECT_EQ(ReadBytes(source), "a\na\n");  // a cancel never writes the preset name
  EXPECT_EQ(ReadBytes(dir_.File("second-out.txt")), "b\r\n");
  EXPECT_EQ(Shown(), Messages{"File(s) created: \r\r" + dir_.File("second-out.txt")});
}

TEST_F(RemovalRunTest, AllCancelledShowsNoClosingMessage) {
  ListFile("first.txt", "a\na\n");
  ui_.commonDialog1.WillCancel();
  ui_.ClickCheck2();
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(ListFolder(dir_.path()), "first.txt");
}

TEST_F(RemovalRunTest, ASourceSavedOverItselfIsReplacedWhole) {
  const std::string source = ListFile("self.txt", "q\nr\nq\n");
  SaveAs(source);
  ui_.ClickCheck2();
  EXPECT_EQ(ReadBytes(source), "q\r\nr\r\n");
  EXPECT_EQ(ListFolder(dir_.path()), "self.txt");
}

TEST_F(RemovalRunTest, AnUnreadableFileStopsTheRunWithAClearMessage) {
  ListFile("good.txt", "a\na\n");
  const std::string missing = dir_.File("typed-but-missing.txt");
  AddFiles(missing);  // a typed name is listed without a check
  ListFile("later.txt", "b\nb\n");
  SaveAs(dir_.File("good-out.txt"));
  ui_.ClickCheck2();

  EXPECT_EQ(ReadBytes(dir_.File("good-out.txt")), "a\r\n");  // written before stays
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].find(missing), std::string::npos) << Shown()[0];
  EXPECT_GT(Shown()[0].size(), missing.size() + 10) << "the reason is missing";
  EXPECT_EQ(ui_.list1.ListCount(), 3);  // the list stays as it was
  EXPECT_EQ(ui_.commonDialog1.Showings().back().kind, Kind::kSave);
  EXPECT_EQ(ui_.check2.Value(), 0);
  EXPECT_NE(ui_.form.MousePointer(), platform::kPointerHourglass);
}

TEST_F(RemovalRunTest, AnUnwritableOutputStopsTheRunAndKeepsTheSource) {
  const std::string source = ListFile("src.txt", "a\na\n");
  SaveAs(dir_.File("no-such-folder") + platform::kPathSeparator + "out.txt");
  ui_.ClickCheck2();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].find("no-such-folder"), std::string::npos) << Shown()[0];
  EXPECT_EQ(ReadBytes(source), "a\na\n");
}

TEST_F(RemovalRunTest, RunningOutOfMemoryNamesTheFile) {
  const std::string source = ListFile("big.txt", "a\na\n");
  ui_.commonDialog1.WillRunOutOfMemory();
  ui_.ClickCheck2();
  EXPECT_EQ(Shown(), Messages{"Cannot remove repeats from \"" + source + "\": Not enough memory."});
  EXPECT_EQ(ReadBytes(source), "a\na\n");
}

TEST_F(RemovalRunTest, TheBusyPointerShowsWhileWorkingAndIsPutBack) {
  ListFile("busy.txt", "a\na\n");
  ListFile("calm.txt", "a\nb\n");
  ui_.MoveMouseOverCheck2();
  SaveAs(dir_.File("out.txt"));
  ui_.ClickCheck2();
  EXPECT_EQ(ui_.form.PointerHistory(), "99 11 99 11 99 11 99");
}

}  // namespace
}  // namespace velloran::testing
