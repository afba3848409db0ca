// A file read into items, repeats eliminated, survivors written.
#include "dedupe/item_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "dedupe/detect_encoding.h"
#include "platform/error.h"
#include "tests/support/temp_dir.h"

namespace velloran::dedupe {
namespace {

using namespace std::string_view_literals;
using testing::ReadBytes;
using testing::WriteBytes;

class ItemFileTest : public ::testing::Test {
 protected:
  // Reads `bytes` as a file, eliminates, and returns what is written for it,
  // or "(no repeats)" when nothing would be written.
  std::string Survivors(std::string_view bytes) {
    const std::string source = dir_.File("source.txt");
    WriteBytes(source, bytes);
    ItemFile file = ItemFile::Read(source);
    if (!EliminateDuplicates(file)) return "(no repeats)";
    const std::string output = dir_.File("output.txt");
    WriteSurvivors(file, output);
    return ReadBytes(output);
  }

  testing::TempDir dir_;
};

TEST_F(ItemFileTest, WritesEachFirstOccurrenceOnceWithCrLf) {
  EXPECT_EQ(Survivors("a\nb\na\nc\nb\n"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(Survivors("a\r\nb\rb\na"), "a\r\nb\r\n");
  // Empty lines give no line; repeats of them are not repeats.
  EXPECT_EQ(Survivors("\n\nx\n\nx\n"), "x\r\n");
  EXPECT_EQ(Survivors("p\n\n\nq\n"), "(no repeats)");
  // A lone space is written as an empty line; two spaces stay.
  EXPECT_EQ(Survivors(" \nab\n \nab\n  \n"), "\r\nab\r\n  \r\n");
  // NUL and 0xFF bytes go through untouched (a NUL unit rules out UTF-16).
  EXPECT_EQ(Survivors("a\0\0\xFF\na\0\0\xFF\n\xFF\n"sv), "a\0\0\xFF\r\n\xFF\r\n"sv);
}

platform::FileBuffer BufferOf(std::string_view bytes) {
  platform::FileBuffer buffer(bytes.size());
  if (!bytes.empty()) std::memcpy(buffer.unfilled(), bytes.data(), bytes.size());
  buffer.MarkFilled(bytes.size());
  return buffer;
}

// Each item as its place in the text and its bytes.
std::vector<std::pair<std::size_t, std::string>> Items(const ItemFile& file) {
  std::vector<std::pair<std::size_t, std::string>> items;
  for (const std::string_view item : file.items()) {
    items.emplace_back(file.EndOf(item) - item.size(), item);
  }
  return items;
}

// Two cores count and split the two parts of a text cut after a line end
// near its middle: together they give the items of one pass, in every
// encoding and wherever CR LF pairs, lone CRs and stray end bytes fall.
TEST_F(ItemFileTest, TwoCoresSplitTheItemsOfOnePass) {
  std::mt19937 random(11);
  const std::vector<std::string> marks = {"",
                                          "\xEF\xBB\xBF",
                                          "\xFF\xFE",
                                          "\xFE\xFF",
                                          std::string("\xFF\xFE\0\0", 4),
                                          std::string("\0\0\xFE\xFF", 4)};
  const char pieces[] = {'\r', '\n', 'a', 'b'};
  int cut_in_two = 0;
  for (int round = 0; round < 600; ++round) {
    const std::string& mark = marks[round % marks.size()];
    const std::size_t width = mark.size() == 2 ? 2 : mark.size() == 4 ? 4 : 1;
    std::string bytes = mark;
    const std::size_t units = random() % 200;
    for (std::size_t i = 0; i < units; ++i) {
      std::string unit(width, '\0');
      unit[mark == "\xFE\xFF" || mark.starts_with('\0') ? width - 1 : 0] = pieces[random() % 4];
      bytes += unit;
    }
    if (width > 1 && random() % 4 == 0) bytes += "\x7F";  // a stray end byte
    const Encoding encoding = DetectEncoding(bytes);
    const std::string_view text = std::string_view(bytes).substr(ByteOrderMark(encoding).size());

    const LineCount one = CountLinesOf(text, encoding, 1);
    const LineCount two = CountLinesOf(text, encoding, 2);
    ASSERT_EQ(two.total, one.total) << "round " << round;
    const ItemFile whole("one", BufferOf(bytes), encoding, one);
    const ItemFile parts("two", BufferOf(bytes), encoding, two);
    ASSERT_EQ(Items(parts), Items(whole)) << "round " << round;
    if (two.cut < text.size()) {
      ++cut_in_two;
      EXPECT_EQ(two.cut % width, 0u);
      EXPECT_EQ(two.before_cut, CountLines(text.substr(0, two.cut), encoding));
    }
  }
  EXPECT_GT(cut_in_two, 300);
}

// A text is cut only where a line end is whole before the cut.
TEST(EndOfFirstLineEnd, TakesACrLfWholeAndWaitsToSeeWhatFollowsACr) {
  constexpr std::size_t kNone = std::string_view::npos;
  EXPECT_EQ(EndOfFirstLineEnd("ab\ncd", Encoding::kBytes), 3u);
  EXPECT_EQ(EndOfFirstLineEnd("ab\r\ncd", Encoding::kBytes), 4u);
  EXPECT_EQ(EndOfFirstLineEnd("ab\rcd", Encoding::kBytes), 3u);
  EXPECT_EQ(EndOfFirstLineEnd("ab\r", Encoding::kBytes), kNone);
  EXPECT_EQ(EndOfFirstLineEnd("abcd", Encoding::kBytes), kNone);
  EXPECT_EQ(EndOfFirstLineEnd("", Encoding::kBytes), kNone);
  EXPECT_EQ(EndOfFirstLineEnd("a\0\r\0\n\0b\0"sv, Encoding::kUtf16Le), 6u);
  // A CR byte off the 16-bit grid ends nothing.
  EXPECT_EQ(EndOfFirstLineEnd("\r\0a\0\0\n"sv, Encoding::kUtf16Be), 6u);
  EXPECT_EQ(EndOfFirstLineEnd("\0\0\0\r"sv, Encoding::kUtf32Be), kNone);
}

TEST_F(ItemFileTest, AFileWithoutItemsHasNoRepeats) {
  for (const std::string_view bytes : {""sv, "\xEF\xBB\xBF"sv, "\xFF\xFE"sv}) {
    WriteBytes(dir_.File("empty.txt"), bytes);
    ItemFile file = ItemFile::Read(dir_.File("empty.txt"));
    EXPECT_TRUE(file.items().empty());
    EXPECT_FALSE(EliminateDuplicates(file));
    EXPECT_TRUE(file.items().empty());
  }
}

TEST_F(ItemFileTest, ARepeatedFileStartingWithTheMarkerTextIsWritten) {
  EXPECT_EQ(Survivors("None911\nb\nb\n"), "None911\r\nb\r\n");
}

TEST_F(ItemFileTest, KeepsTheByteOrderMarkAndWritesInItsEncoding) {
  EXPECT_EQ(Survivors("\xEF\xBB\xBFk\r\nk\r\nl"), "\xEF\xBB\xBFk\r\nl\r\n");
  // UTF-16: line ends and the lone space are 16-bit units.
  EXPECT_EQ(Survivors("\xFF\xFEk\0\n\0 \0\r\0k\0\r\0\n\0"sv), "\xFF\xFEk\0\r\0\n\0\r\0\n\0"sv);
  EXPECT_EQ(Survivors("\xFE\xFF\0k\0\n\0k\0\n\0 "sv), "\xFE\xFF\0k\0\r\0\n\0\r\0\n"sv);
}

TEST_F(ItemFileTest, Utf32AndUnmarkedUtf16AreWrittenBackInTheirEncoding) {
  EXPECT_EQ(Survivors("\xFF\xFE\0\0k\0\0\0\n\0\0\0k\0\0\0\r\0\0\0"sv),
            "\xFF\xFE\0\0k\0\0\0\r\0\0\0\n\0\0\0"sv);
  EXPECT_EQ(Survivors("\0\0\xFE\xFF\0\0\0k\0\0\0\n\0\0\0k"sv),
            "\0\0\xFE\xFF\0\0\0k\0\0\0\r\0\0\0\n"sv);
  // Without a mark in, none out.
  EXPECT_EQ(Survivors("k\0\n\0k\0\n\0"sv), "k\0\r\0\n\0"sv);
  EXPECT_EQ(Survivors("\0k\0\n\0k\0\n\0 \0\n"sv), "\0k\0\r\0\n\0\r\0\n"sv);
}

TEST_F(ItemFileTest, StrayEndBytesStayAtTheEndOfTheLastLineOnTheUnitGrid) {
  // The last line keeps its stray byte and gets no line end after it, so
  // every line end stays on the 16-bit grid.
  EXPECT_EQ(Survivors("\xFF\xFE"
                      "a\0\n\0a\0\n\0b\0X"sv),
            "\xFF\xFE"
            "a\0\r\0\n\0b\0X"sv);
  EXPECT_EQ(Survivors("\xFE\xFF\0a\0\n\0a\0\nX"sv), "\xFE\xFF\0a\0\r\0\nX"sv);
  EXPECT_EQ(Survivors("\xFF\xFE\0\0a\0\0\0\n\0\0\0a\0\0\0\n\0\0\0XYZ"sv),
            "\xFF\xFE\0\0a\0\0\0\r\0\0\0\n\0\0\0XYZ"sv);
}

TEST_F(ItemFileTest, MarksItemZeroInTheFilesEncoding) {
  WriteBytes(dir_.File("wide.txt"), "\xFF\xFEq\0\n\0r\0"sv);
  ItemFile file = ItemFile::Read(dir_.File("wide.txt"));
  EXPECT_EQ(file.encoding(), Encoding::kUtf16Le);
  EXPECT_FALSE(EliminateDuplicates(file));
  ASSERT_EQ(file.items().size(), 2u);
  EXPECT_EQ(file.items()[0],
            "N\0o\0n\0e\0"
            "9\0"
            "1\0"
            "1\0"sv);
  EXPECT_EQ(file.items()[1], "r\0"sv);
}

TEST_F(ItemFileTest, TheSourceCanBeItsOwnOutput) {
  const std::string path = dir_.File("self.txt");
  WriteBytes(path, "one\ntwo\none\n");
  ItemFile file = ItemFile::Read(path);
  ASSERT_TRUE(EliminateDuplicates(file));
  WriteSurvivors(file, path);
  EXPECT_EQ(ReadBytes(path), "one\r\ntwo\r\n");
  EXPECT_EQ(testing::ListFolder(dir_.path()), "self.txt");
  // The items still view the bytes read, not the file now on disk.
  EXPECT_EQ(file.items()[1], "two");
}

TEST_F(ItemFileTest, LargeFilesWithManyLines) {
  std::string bytes;
  for (int i = 0; i < 40000; ++i) bytes += "row " + std::to_string(i % 30000) + "\n";
  std::string expected;
  for (int i = 0; i < 30000; ++i) expected += "row " + std::to_string(i) + "\r\n";
  EXPECT_EQ(Survivors(bytes), expected);
}

TEST_F(ItemFileTest, AFailedWriteLeavesTheTargetAndNoTemporaryFile) {
  WriteBytes(dir_.File("source.txt"), "a\na\n");
  ItemFile file = ItemFile::Read(dir_.File("source.txt"));
  ASSERT_TRUE(EliminateDuplicates(file));

  // The target is a folder.
  std::filesystem::create_directory(dir_.path() / "folder");
  WriteBytes(dir_.File("folder") + "/inside.txt", "kept");
  try {
    WriteSurvivors(file, dir_.File("folder"));
    ADD_FAILURE() << "writing over a folder succeeded";
  } catch (const platform::Error& e) {
    EXPECT_NE(std::string(e.what()).find(dir_.File("folder")), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadBytes(dir_.File("folder") + "/inside.txt"), "kept");

  // The target's folder does not exist: the message names the folder.
  const std::string missing = dir_.File("no such folder");
  try {
    WriteSurvivors(file, missing + "/out.txt");
    ADD_FAILURE() << "writing into a missing folder succeeded";
  } catch (const platform::Error& e) {
    EXPECT_NE(std::string(e.what()).find("\"" + missing + "\""), std::string::npos) << e.what();
  }
  EXPECT_EQ(testing::ListFolder(dir_.path()), "folder source.txt");
}

TEST_F(ItemFileTest, ReadingAMissingFileNamesIt) {
  const std::string missing = dir_.File("missing.txt");
  try {
    ItemFile::Read(missing);
    ADD_FAILURE() << "reading a missing file succeeded";
  } catch (const platform::Error& e) {
    EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace velloran::dedupe
