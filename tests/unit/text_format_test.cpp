// Splitting a file's text into lines, in each encoding.
#include "dedupe/text_format.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "dedupe/byte_lines.h"

namespace velloran::dedupe {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using Lines = ItemList;

// Byte by byte: CR LF, LF and lone CR end a line; a last unended line counts.
std::vector<std::string> ReferenceSplit(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    lines.push_back(line);
    line.clear();
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  if (!text.empty() && text.back() != '\r' && text.back() != '\n') lines.push_back(line);
  return lines;
}

std::vector<std::string> Split(std::string_view text, Encoding encoding = Encoding::kBytes) {
  const Lines views = SplitLines(text, encoding);
  return std::vector<std::string>(views.begin(), views.end());
}

TEST(SplitLines, EachKindOfLineEndEndsOneLine) {
  using Texts = std::vector<std::string>;
  EXPECT_EQ(Split("a\r\nb\r\n"), (Texts{"a", "b"}));
  EXPECT_EQ(Split("a\nb\n"), (Texts{"a", "b"}));
  EXPECT_EQ(Split("a\rb\r"), (Texts{"a", "b"}));
  EXPECT_EQ(Split("a\n\rb"), (Texts{"a", "", "b"}));  // LF CR is two line ends
  EXPECT_EQ(Split("a\r\r\nb"), (Texts{"a", "", "b"}));
  EXPECT_EQ(Split("last"), (Texts{"last"}));
  EXPECT_EQ(Split("\r\n\n\r"), (Texts{"", "", ""}));
  EXPECT_EQ(Split(""), Texts{});
  // Commas, quotes, tabs and blanks are ordinary; nothing is trimmed.
  EXPECT_EQ(Split(" \"a, b\"\t \n"), (Texts{" \"a, b\"\t "}));
  // NUL and 0xFF are ordinary bytes.
  EXPECT_EQ(Split("a\0b\n\xFF\n"sv), (Texts{std::string("a\0b", 3), "\xFF"}));
}

TEST(SplitLines, EveryScanAgreesWithAByteByByteSplitAcrossBlockBoundaries) {
  std::mt19937 random(11);
  const char alphabet[] = {'\r', '\n', 'a', 'b', '\0'};
  for (int round = 0; round < 4000; ++round) {
    std::string text(random() % 200, 'x');
    // Mostly plain text with some line ends, or mostly line ends.
    const unsigned spread = round % 2 == 0 ? 5 : 20;
    for (char& c : text) {
      const auto pick = static_cast<unsigned>(random() % spread);
      c = pick < 5 ? alphabet[pick] : 'z';
    }
    const std::vector<std::string> expected = ReferenceSplit(text);
    for (const ByteScan scan : AvailableByteScans()) {
      Lines views;
      SplitByteLines(text, views, scan);
      ASSERT_EQ(std::vector<std::string>(views.begin(), views.end()), expected)
          << "round " << round << ", scan " << static_cast<int>(scan);
      ASSERT_EQ(CountByteLines(text, scan), expected.size()) << "round " << round;
    }
  }
}

// Texts longer than the vector scanners' lane counters (255 rounds of 16 or
// 32 bytes, about 8 KB) and long runs of line ends, at start offsets across
// a vector's width.
TEST(SplitLines, EveryScanAgreesOnLongTextsAndLongRunsOfLineEnds) {
  std::mt19937 random(12);
  constexpr std::size_t kLong = 8160 + 700;
  std::vector<std::string> texts = {std::string(kLong, '\n'), std::string(kLong, '\r'),
                                    std::string(kLong, 'x')};
  std::string pairs;
  for (std::size_t i = 0; i < kLong / 2; ++i) pairs += "\r\n";
  texts.push_back(pairs);
  std::string mixed(2 * kLong, 'a');
  for (char& c : mixed) {
    const unsigned pick = static_cast<unsigned>(random() % 8);
    c = pick < 3 ? '\n' : pick < 6 ? '\r' : 'q';
  }
  texts.push_back(mixed);
  for (const std::string& text : texts) {
    for (const std::size_t offset : {0, 1, 15, 16, 17, 31, 32, 33}) {
      const std::string_view view = std::string_view(text).substr(offset);
      const std::vector<std::string> expected = ReferenceSplit(view);
      for (const ByteScan scan : AvailableByteScans()) {
        ASSERT_EQ(CountByteLines(view, scan), expected.size())
            << "scan " << static_cast<int>(scan) << ", offset " << offset;
        Lines views;
        SplitByteLines(view, views, scan);
        ASSERT_EQ(std::vector<std::string>(views.begin(), views.end()), expected);
      }
    }
  }
}

TEST(SplitLines, LinesAreViewsIntoTheText) {
  const std::string text = "one\r\ntwo";
  const Lines lines = SplitLines(text, Encoding::kBytes);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].data(), text.data());
  EXPECT_EQ(lines[1].data(), text.data() + 5);
}

// Lines are kept as 32-bit offsets into the text: a longer text is refused
// before a byte of it is read, never split at offsets that wrap around.
TEST(SplitLines, ATextTooLongForItsOffsetsIsRefused) {
  if constexpr (sizeof(std::size_t) < 8) GTEST_SKIP() << "no such text fits a 32-bit process";
  const char byte = 'x';
  const std::string_view longer(&byte, static_cast<std::size_t>(ItemList::kLongestText) + 1);
  Lines lines;
  for (const Encoding encoding : {Encoding::kBytes, Encoding::kUtf16Le}) {
    EXPECT_THROW(SplitLinesInto(longer, encoding, lines), std::length_error);
  }
}

TEST(SplitLines, Utf16SplitsOnSixteenBitUnits) {
  using Texts = std::vector<std::string>;
  // "a" CR LF, U+010A (its low byte is 0x0A), LF CR, "b" with no line end.
  const std::string_view little = "a\0\r\0\n\0\x0A\x01\n\0\r\0b\0"sv;
  EXPECT_EQ(Split(little, Encoding::kUtf16Le), (Texts{"a\0"s, "\x0A\x01"s, ""s, "b\0"s}));
  const std::string_view big = "\0a\0\r\0\n\x01\x0A\0\n\0\r\0b"sv;
  EXPECT_EQ(Split(big, Encoding::kUtf16Be), (Texts{"\0a"s, "\x01\x0A"s, ""s, "\0b"s}));
  // A stray last byte stays with the last line.
  EXPECT_EQ(Split("a\0\n\0b\0c"sv, Encoding::kUtf16Le), (Texts{"a\0"s, "b\0c"s}));
}

TEST(SplitLines, Utf32SplitsOnThirtyTwoBitUnits) {
  using Texts = std::vector<std::string>;
  // "a" CR LF, U+0A0D (its bytes hold both line-end codes), "b", stray bytes.
  const std::string little = "a\0\0\0\r\0\0\0\n\0\0\0\x0D\x0A\0\0\n\0\0\0b\0\0\0\x01\x02"s;
  EXPECT_EQ(Split(little, Encoding::kUtf32Le),
            (Texts{"a\0\0\0"s, "\x0D\x0A\0\0"s, "b\0\0\0\x01\x02"s}));
  const std::string big = "\0\0\0a\0\0\0\r\0\0\x0A\x0D\0\0\0\r\0\0\0\n"s;
  EXPECT_EQ(Split(big, Encoding::kUtf32Be), (Texts{"\0\0\0a"s, "\0\0\x0A\x0D"s}));
}

TEST(TextFormat, TextsInEachEncoding) {
  EXPECT_EQ(ByteOrderMark(Encoding::kUtf32Le), "\xFF\xFE\0\0"sv);
  EXPECT_EQ(LineEnd(Encoding::kUtf32Be), "\0\0\0\r\0\0\0\n"sv);
  EXPECT_EQ(Space(Encoding::kUtf32Le), " \0\0\0"sv);
  EXPECT_EQ(EncodedNone911(Encoding::kUtf16Le),
            "N\0o\0n\0e\0"
            "9\0"
            "1\0"
            "1\0"sv);
  EXPECT_EQ(EncodedNone911(Encoding::kUtf16Be),
            "\0N\0o\0n\0e\0"
            "9\0"
            "1\0"
            "1"sv);
  EXPECT_EQ(EncodedNone911(Encoding::kUtf32BeNoBom).size(), 28u);
}

}  // namespace
}  // namespace velloran::dedupe
