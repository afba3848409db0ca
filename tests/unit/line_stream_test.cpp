// Reading a file block by block gives exactly the lines of reading it whole,
// whatever the block size and wherever blocks cut line ends, long lines and
// stray end bytes.
#include "dedupe/line_stream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dedupe/line_end.h"
#include "dedupe/spill.h"
#include "dedupe/text_format.h"
#include "tests/support/temp_dir.h"

namespace velloran::dedupe {
namespace {

using namespace std::string_literals;

// Collects lines, long ones joined from their pieces, with their numbers.
class Collector final : public LineSink {
 public:
  void Line(std::uint64_t number, std::string_view line) override {
    EXPECT_EQ(number, lines.size());
    EXPECT_FALSE(in_long_line_);
    lines.emplace_back(line);
  }
  void LongLineStart(std::uint64_t number, std::uint64_t offset) override {
    EXPECT_EQ(number, lines.size());
    EXPECT_FALSE(in_long_line_);
    in_long_line_ = true;
    lines.emplace_back();
    offsets.push_back(offset);
  }
  void LongLinePiece(std::string_view piece) override {
    EXPECT_TRUE(in_long_line_);
    EXPECT_FALSE(piece.empty());
    lines.back() += piece;
  }
  void LongLineEnd(std::uint64_t length) override {
    EXPECT_TRUE(in_long_line_);
    EXPECT_EQ(length, lines.back().size());
    in_long_line_ = false;
  }

  std::vector<std::string> lines;
  std::vector<std::uint64_t> offsets;

 private:
  bool in_long_line_ = false;
};

std::string RandomText(std::mt19937& random, std::size_t width) {
  const char pieces[] = {'\r', '\n', 'a', 'b'};
  std::string text;
  const std::size_t units = random() % 400;
  const bool long_runs = random() % 3 == 0;
  for (std::size_t i = 0; i < units; ++i) {
    const char c = long_runs && random() % 8 != 0 ? 'x' : pieces[random() % 4];
    std::string unit(width, '\0');
    unit[0] = c;
    text += unit;
  }
  if (width > 1 && random() % 3 == 0) text += "\x7F";  // a stray end byte
  return text;
}

TEST(StreamLines, GivesTheLinesOfTheWholeTextForAnyBlockSize) {
  std::mt19937 random(99);
  testing::TempDir dir;
  const std::string path = dir.File("text.bin");
  const std::vector<Encoding> encodings = {Encoding::kBytes, Encoding::kUtf8Bom, Encoding::kUtf16Le,
                                           Encoding::kUtf32Le};
  for (int round = 0; round < 400; ++round) {
    const Encoding encoding = encodings[round % encodings.size()];
    const std::string mark(ByteOrderMark(encoding));
    const std::string text = RandomText(random, UnitWidth(encoding));
    testing::WriteBytes(path, mark + text);
    const ItemList whole = SplitLines(text, encoding);

    // One lane, or one reading ahead while the other hands lines on.
    const std::size_t lanes = 1 + (round / encodings.size()) % 2;
    StreamSizes sizes;
    sizes.block = 4 * (1 + random() % 12);
    sizes.long_line = 1 + random() % 40;
    platform::InputFile file(path);
    Collector collector;
    std::uint64_t reported = 0;
    const StreamSummary summary = StreamLines(
        file, encoding, sizes, collector, [&](std::uint64_t done) { reported = done; }, lanes);
    ASSERT_EQ(collector.lines, std::vector<std::string>(whole.begin(), whole.end()))
        << "round " << round << ", block " << sizes.block << ", long " << sizes.long_line
        << ", lanes " << lanes;
    EXPECT_EQ(summary.lines, whole.size());
    EXPECT_EQ(summary.bytes, mark.size() + text.size());
    EXPECT_EQ(reported, summary.bytes);
    // Long lines are told where they start in the file.
    std::size_t next_offset = 0;
    for (std::size_t i = 0; i < whole.size(); ++i) {
      if (whole[i].size() <= sizes.long_line) continue;
      ASSERT_LT(next_offset, collector.offsets.size());
      EXPECT_EQ(collector.offsets[next_offset++],
                mark.size() + static_cast<std::uint64_t>(whole[i].data() - text.data()));
    }
    EXPECT_EQ(next_offset, collector.offsets.size());
  }
}

TEST(StreamLines, TheDigestTellsADifferentFile) {
  testing::TempDir dir;
  const std::string path = dir.File("text.txt");
  auto summary_of = [&](const std::string& bytes, std::size_t lanes = 1) {
    testing::WriteBytes(path, bytes);
    platform::InputFile file(path);
    Collector collector;
    return StreamLines(
        file, Encoding::kBytes, StreamSizes{8, 64}, collector, [](auto) {}, lanes);
  };
  const StreamSummary first = summary_of("one\ntwo\r\nthree\n");
  EXPECT_EQ(summary_of("one\ntwo\r\nthree\n").digest, first.digest);
  EXPECT_EQ(summary_of("one\ntwo\r\nthree\n", 2).digest, first.digest);
  EXPECT_NE(summary_of("one\ntwo\r\nthreE\n").digest, first.digest);
  EXPECT_NE(summary_of("one\ntwo\n\rthree\n").digest, first.digest);
}

// Two passes over the halves of a file cut after a line end, as two lanes
// read it, give its lines and sum up like one pass that knows the cut.
TEST(StreamLines, TwoHalvesCutAfterALineEndAddUpToTheWhole) {
  std::mt19937 random(7);
  testing::TempDir dir;
  const std::string path = dir.File("text.bin");
  const std::vector<Encoding> encodings = {Encoding::kBytes, Encoding::kUtf16Le,
                                           Encoding::kUtf32Be};
  for (int round = 0; round < 300; ++round) {
    const Encoding encoding = encodings[round % encodings.size()];
    const std::size_t width = UnitWidth(encoding);
    const std::string mark(ByteOrderMark(encoding));
    const std::string text = RandomText(random, width);
    // Every place a line end finishes: after an LF, or a CR not before an LF.
    std::vector<std::uint64_t> cuts;
    for (std::size_t at = 0; at + width <= text.size(); at += width) {
      const unsigned unit = UnitAt(text, at, encoding);
      const bool before_lf =
          at + 2 * width <= text.size() && UnitAt(text, at + width, encoding) == line_end::kLf;
      if (unit == line_end::kLf || (unit == line_end::kCr && !before_lf)) {
        cuts.push_back(mark.size() + at + width);
      }
    }
    if (cuts.empty()) continue;
    const std::uint64_t cut = cuts[random() % cuts.size()];
    const std::uint64_t size = mark.size() + text.size();
    testing::WriteBytes(path, mark + text);
    const ItemList whole = SplitLines(text, encoding);

    StreamSizes sizes;
    sizes.block = 4 * (1 + random() % 12);
    sizes.long_line = 1 + random() % 40;
    platform::InputFile file(path);
    Collector first;
    Collector second;
    const StreamSummary halves = JoinSummaries(
        StreamLines(
            file, encoding, sizes, {0, cut, StreamRange::kToEnd}, first, [](auto) {}, 1),
        StreamLines(
            file, encoding, sizes, {cut, size, StreamRange::kToEnd}, second, [](auto) {}, 1));
    std::vector<std::string> lines = first.lines;
    lines.insert(lines.end(), second.lines.begin(), second.lines.end());
    ASSERT_EQ(lines, std::vector<std::string>(whole.begin(), whole.end())) << "round " << round;
    // Long lines of the second half are told where they start in the file.
    for (const std::uint64_t offset : second.offsets) EXPECT_GE(offset, cut);

    Collector one;
    const StreamSummary once = StreamLines(
        file, encoding, sizes, {0, StreamRange::kToEnd, cut}, one, [](auto) {}, 1 + round % 2);
    EXPECT_EQ(one.lines, lines);
    EXPECT_EQ(once.bytes, size);
    EXPECT_EQ(halves.bytes, size);
    EXPECT_EQ(halves.lines, once.lines);
    EXPECT_EQ(halves.digest, once.digest) << "round " << round;

    // A byte changed in the second half changes the digest.
    if (cut == size) continue;
    std::string changed = mark + text;
    changed.back() ^= 0x20;
    testing::WriteBytes(path, changed);
    platform::InputFile changed_file(path);
    Collector changed_lines;
    const StreamSummary changed_once = StreamLines(
        changed_file, encoding, sizes, {0, StreamRange::kToEnd, cut}, changed_lines, [](auto) {},
        1);
    EXPECT_NE(changed_once.digest, once.digest) << "round " << round;
  }
}

// A stop asked for after a block, or a sink that fails, ends the lane that
// reads ahead too, whichever of them waits for the other.
TEST(StreamLines, AStopOrAFailingSinkEndsBothLanes) {
  testing::TempDir dir;
  const std::string path = dir.File("text.txt");
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i) + "\n";
  testing::WriteBytes(path, text);
  struct Stopped {};
  for (const int stop_after : {0, 1, 7}) {
    platform::InputFile file(path);
    Collector collector;
    int blocks = 0;
    EXPECT_THROW(StreamLines(
                     file, Encoding::kBytes, StreamSizes{64, 64}, collector,
                     [&](std::uint64_t) {
                       if (blocks++ == stop_after) throw Stopped{};
                     },
                     2),
                 Stopped);
  }
  class FailingSink final : public LineSink {
   public:
    void Line(std::uint64_t number, std::string_view) override {
      if (number == 300) throw Stopped{};
    }
    void LongLineStart(std::uint64_t, std::uint64_t) override {}
    void LongLinePiece(std::string_view) override {}
    void LongLineEnd(std::uint64_t) override {}
  } failing;
  platform::InputFile file(path);
  EXPECT_THROW(StreamLines(
                   file, Encoding::kBytes, StreamSizes{64, 64}, failing, [](auto) {}, 2),
               Stopped);
}

TEST(RepeatLists, RoundTripWithGapsOfAnySize) {
  testing::TempDir dir;
  platform::TemporaryFile file(testing::Utf8(dir.path()));
  RepeatListWriter writer(file, 16);
  const std::vector<std::vector<std::uint64_t>> lists = {
      {0, 1, 2, 127, 128, 16383, 16384, std::uint64_t{1} << 40, (std::uint64_t{1} << 63) + 5},
      {},
      {3, 4, 1000000}};
  std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
  for (const auto& list : lists) {
    const std::uint64_t begin = writer.Start();
    for (const std::uint64_t number : list) writer.Add(number);
    writer.Flush();
    ranges.emplace_back(begin, writer.end());
  }
  for (std::size_t i = 0; i < lists.size(); ++i) {
    RepeatListReader reader(file, ranges[i].first, ranges[i].second, 3);
    std::vector<std::uint64_t> back;
    for (std::uint64_t number = 0; reader.Next(number);) back.push_back(number);
    EXPECT_EQ(back, lists[i]) << "list " << i;
  }
}

// Record heads are counted in bytes for the progress shown; a number whose
// last group is missing is no number.
TEST(RepeatLists, GroupsCountTheirBytesAndANumberCutShortIsNone) {
  testing::TempDir dir;
  platform::TemporaryFile file(testing::Utf8(dir.path()));
  SpillWriter out(file, 8);
  EXPECT_EQ(PutGroups(out, 127), 1u);
  EXPECT_EQ(PutGroups(out, 128), 2u);
  EXPECT_EQ(PutGroups(out, ~std::uint64_t{0}), 10u);
  out.Flush();
  SpillReader in(file, 0, file.size() - 1, 4);
  std::uint64_t value = 0;
  std::size_t bytes = 0;
  ASSERT_TRUE(GetGroups(in, value, bytes));
  EXPECT_EQ(value, 127u);
  ASSERT_TRUE(GetGroups(in, value, bytes));
  EXPECT_EQ(value, 128u);
  EXPECT_EQ(bytes, 3u);
  EXPECT_FALSE(GetGroups(in, value, bytes));
}

// Records are read from memory in pieces, so a piece may end inside a
// number: that is "not yet", never a smaller number; more groups than 64
// bits need is damage.
TEST(RepeatLists, NumbersDecodeFromMemoryOnlyWhenWhole) {
  for (const std::uint64_t number : {std::uint64_t{0}, std::uint64_t{127}, std::uint64_t{128},
                                     std::uint64_t{1} << 35, ~std::uint64_t{0}}) {
    char bytes[kMostGroups];
    const auto size = static_cast<std::size_t>(EncodeGroups(bytes, number) - bytes);
    std::uint64_t value = 1;
    EXPECT_EQ(DecodeGroups(bytes, size, value), size);
    EXPECT_EQ(value, number);
    for (std::size_t cut = 0; cut < size; ++cut) {
      EXPECT_EQ(DecodeGroups(bytes, cut, value), 0u) << number << " cut at " << cut;
    }
  }
  const std::string too_long(kMostGroups + 1, '\x80');
  std::uint64_t value = 0;
  EXPECT_GT(DecodeGroups(too_long.data(), too_long.size(), value), kMostGroups);
}

}  // namespace
}  // namespace velloran::dedupe
