// How a file's encoding is decided, and text in many scripts and in every
// encoding through both ways of reading a file: first occurrences exact,
// computed here apart from the program (code points, split, compared
// pairwise, encoded again).
#include "dedupe/detect_encoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "dedupe/file_removal.h"
#include "platform/progress.h"
#include "tests/support/temp_dir.h"
#include "tests/unit/legacy_texts.h"

namespace velloran::dedupe {
namespace {

using namespace std::string_view_literals;

// The four unmarked Unicode forms.
enum class Form { kUtf16Le, kUtf16Be, kUtf32Le, kUtf32Be };
constexpr Form kForms[] = {Form::kUtf16Le, Form::kUtf16Be, Form::kUtf32Le, Form::kUtf32Be};

Encoding Unmarked(Form form) {
  constexpr Encoding kUnmarked[] = {Encoding::kUtf16LeNoBom, Encoding::kUtf16BeNoBom,
                                    Encoding::kUtf32LeNoBom, Encoding::kUtf32BeNoBom};
  return kUnmarked[static_cast<int>(form)];
}

std::string Unit(std::uint32_t value, std::size_t width, bool big) {
  std::string unit(width, '\0');
  for (std::size_t i = 0; i < width; ++i) {
    unit[big ? width - 1 - i : i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  return unit;
}

std::string Encode(std::u32string_view text, Form form) {
  const bool big = form == Form::kUtf16Be || form == Form::kUtf32Be;
  const bool wide = form == Form::kUtf32Le || form == Form::kUtf32Be;
  std::string bytes;
  for (const char32_t c : text) {
    if (wide || c < 0x10000) {
      bytes += Unit(c, wide ? 4 : 2, big);
    } else {
      bytes += Unit(0xD800 + ((c - 0x10000) >> 10), 2, big);
      bytes += Unit(0xDC00 + ((c - 0x10000) & 0x3FF), 2, big);
    }
  }
  return bytes;
}

std::string Mark(Form form) { return Encode(U"\uFEFF", form); }

std::u32string DecodeUtf8(std::string_view utf8) {
  std::u32string text;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) c = c << 6 | (utf8[i + k] & 0x3F);
    text += c;
    i += length;
  }
  return text;
}

// Bytes as code points of the same value, and back: byte text through the
// same reference.
std::u32string Widen(std::string_view bytes) {
  std::u32string text;
  for (const char c : bytes) text += static_cast<unsigned char>(c);
  return text;
}
std::string Narrow(std::u32string_view text) {
  return std::string(text.begin(), text.end());  // every value is below 256
}

// The first occurrence of every non-empty line of `text`, each followed by
// CR LF, a lone space written as an empty line; nothing when no line repeats.
std::optional<std::u32string> FirstOccurrences(std::u32string_view text) {
  std::vector<std::u32string> lines;
  std::u32string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != U'\r' && text[i] != U'\n') {
      line += text[i];
      continue;
    }
    if (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
    lines.push_back(line);
    line.clear();
  }
  lines.push_back(line);
  std::u32string out;
  std::vector<std::u32string> kept;
  bool repeats = false;
  for (const std::u32string& each : lines) {
    if (each.empty()) continue;
    if (std::find(kept.begin(), kept.end(), each) != kept.end()) {
      repeats = true;
      continue;
    }
    kept.push_back(each);
    out += (each == U" " ? U"" : each) + U"\r\n";
  }
  if (!repeats) return std::nullopt;
  return out;
}

constexpr std::string_view kNoRepeats = "(no repeats)";

// Records the largest head asked for.
struct CountingHead {
  std::string_view bytes;
  std::size_t largest = 0;
  FileHead Reader() {
    return [this](std::size_t size) {
      largest = std::max(largest, size);
      return bytes.substr(0, size);
    };
  }
};

TEST(DetectEncoding, ByteOrderMarksDecideAndAreKept) {
  EXPECT_EQ(DetectEncoding("\xEF\xBB\xBFx"), Encoding::kUtf8Bom);
  EXPECT_EQ(DetectEncoding("\xFF\xFEx\0"sv), Encoding::kUtf16Le);
  EXPECT_EQ(DetectEncoding("\xFE\xFF\0x"sv), Encoding::kUtf16Be);
  EXPECT_EQ(DetectEncoding("\xFF\xFE\0\0a\0\0\0"sv), Encoding::kUtf32Le);
  EXPECT_EQ(DetectEncoding("\0\0\xFE\xFF\0\0\0a"sv), Encoding::kUtf32Be);
  EXPECT_EQ(DetectEncoding("\xEF\xBB"), Encoding::kBytes);
  EXPECT_EQ(DetectEncoding(""), Encoding::kBytes);
  for (const Form form : kForms) {
    EXPECT_EQ(ByteOrderMark(Unmarked(form)), "");
    EXPECT_EQ(LineEnd(Unmarked(form)), Encode(U"\r\n", form));
    EXPECT_EQ(Space(Unmarked(form)), Encode(U" ", form));
  }
}

// U+010D, U+4E0A, U+4E0D, U+0A0A, U+0D0A, U+0D2D and U+2000A hold a
// CR or LF byte beside another byte: characters, in either byte order.
TEST(DetectEncoding, UnitsHoldingLineEndBytesAreCharacters) {
  const std::u32string texts[] = {U"čaj\nmléko\nčaj\n",  U"上海\r\n不\r\n上海\r\n",
                                  U"ਊਪ ਪ\nਊਪ\n",         U"\u0A0A\u0D0A\u0D2D\u4E0D\r",
                                  U"മലയാളം ഫ\rമലയാളം\r", U"\U0002000A\U0001F60A\n",
                                  U"ćč ĊĎ\r\nč\n"};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    for (const Form form : kForms) {
      EXPECT_EQ(DetectEncoding(Encode(texts[i], form)), Unmarked(form))
          << "text " << i << ", form " << static_cast<int>(form);
    }
  }
}

TEST(DetectEncoding, Utf32IsTriedFirstAndNeedsACharacterInEveryUnit) {
  // UTF-32 ASCII read as UTF-16 has NUL units.
  EXPECT_EQ(DetectEncoding(Encode(U"a\nb\n", Form::kUtf32Le)), Encoding::kUtf32LeNoBom);
  EXPECT_EQ(DetectEncoding(Encode(U"\U0001F600\n", Form::kUtf32Be)), Encoding::kUtf32BeNoBom);
  // Read as UTF-32 these begin with U+A0061, U+D0061 and U+A0061, in
  // planes without characters.
  EXPECT_EQ(DetectEncoding(Encode(U"a\nb\n", Form::kUtf16Le)), Encoding::kUtf16LeNoBom);
  EXPECT_EQ(DetectEncoding(Encode(U"a\rb\r", Form::kUtf16Le)), Encoding::kUtf16LeNoBom);
  EXPECT_EQ(DetectEncoding(Encode(U"\na\nb", Form::kUtf16Be)), Encoding::kUtf16BeNoBom);
  // One unit beyond U+10FFFF, one surrogate, one NUL: not UTF-32.
  EXPECT_EQ(DetectEncoding("a\0\0\0\0\0\x11\0"sv), Encoding::kBytes);
  EXPECT_EQ(DetectEncoding("a\0\0\0\0\xD8\0\0\n\0\0\0"sv), Encoding::kBytes);
  EXPECT_EQ(DetectEncoding("a\0\0\0\0\0\0\0\n\0\0\0"sv), Encoding::kBytes);
}

TEST(DetectEncoding, BytesWhenNoByteOrderFitsOrNothingEndsALine) {
  EXPECT_EQ(DetectEncoding("plain\ntext\r\n"), Encoding::kBytes);
  // NUL units (00 00 on the grid) in both orders, as in binary data.
  EXPECT_EQ(DetectEncoding("a\0\0\0\0\0\n\0"sv), Encoding::kBytes);
  EXPECT_EQ(DetectEncoding("\x7F"
                           "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0\n\0"sv),
            Encoding::kBytes);
  // A high surrogate followed by "a" (little-endian), and "\n" that is
  // U+0A00 read big-endian, which has no line-end unit.
  EXPECT_EQ(DetectEncoding("\0\xD8"
                           "a\0\n\0"sv),
            Encoding::kBytes);
  // A lone low surrogate in each order.
  EXPECT_EQ(DetectEncoding("\n\0\0\xDC\xDC\0"sv), Encoding::kBytes);
  // Fits both orders, has no line-end unit and no more ASCII units in one
  // order than in the other: bytes.
  EXPECT_EQ(DetectEncoding("a\0\0a"sv), Encoding::kBytes);
  // No NUL byte at all, however it would read as UTF-16 ("上上").
  EXPECT_EQ(DetectEncoding("\x0A\x4E\x0A\x4E"sv), Encoding::kBytes);
}

// Without any line-end unit, the order whose NULs are high halves of ASCII is
// taken, so that "上" (0A 4E) never ends a line as bytes would have it.
TEST(DetectEncoding, WithoutALineEndTheOrderWithAsciiUnitsFitsTheText) {
  EXPECT_EQ(DetectEncoding(Encode(U"a上上", Form::kUtf16Le)), Encoding::kUtf16LeNoBom);
  EXPECT_EQ(DetectEncoding(Encode(U"a上上", Form::kUtf16Be)), Encoding::kUtf16BeNoBom);
  EXPECT_EQ(DetectEncoding("a\0b\0c\0"sv), Encoding::kUtf16LeNoBom);
}

TEST(DetectEncoding, LineEndUnitsDecideTheByteOrderThenTheNulHalves) {
  // Most NULs are low halves (U+4E00), yet only little-endian has a line end
  // (read big-endian the line ends are U+0A00).
  EXPECT_EQ(DetectEncoding(Encode(U"一一一\n一一\n", Form::kUtf16Le)), Encoding::kUtf16LeNoBom);
  EXPECT_EQ(DetectEncoding(Encode(U"一一一\n一一\n", Form::kUtf16Be)), Encoding::kUtf16BeNoBom);
  // U+0D00 read the other way round is a CR unit: both orders have line
  // ends, and the one with ASCII in its units wins.
  const std::u32string malayalam = U"\u0D00 \u0D15 \u0D00 ab\n";
  EXPECT_EQ(DetectEncoding(Encode(malayalam, Form::kUtf16Le)), Encoding::kUtf16LeNoBom);
  EXPECT_EQ(DetectEncoding(Encode(malayalam, Form::kUtf16Be)), Encoding::kUtf16BeNoBom);
  // The same in both orders (U+0D00 CR): little-endian.
  EXPECT_EQ(DetectEncoding("\0\r\r\0"sv), Encoding::kUtf16LeNoBom);
}

// Pure CJK text without a NUL byte or a line end for its first 64 KiB, then
// lines; a text without any NUL byte; and a UTF-16 line whose NULs (U+4E00)
// all read as ASCII the other way round.
TEST(DetectEncoding, ReadsOnWhileTheSampleCannotDecide) {
  std::u32string no_nul;
  for (std::size_t i = 0; i < 40000; ++i) no_nul += static_cast<char32_t>(0x4E01 + i % 0xD0);
  std::u32string low_nuls;
  for (std::size_t i = 0; i < 40000; ++i) low_nuls += i % 7 == 0 ? U'一' : U'中';
  for (const std::u32string& first : {no_nul, low_nuls}) {
    for (const Form form : {Form::kUtf16Le, Form::kUtf16Be}) {
      const std::string bytes = Encode(first + U"\n上\n上\n", form);
      CountingHead head{bytes};
      EXPECT_EQ(DetectEncoding(head.Reader()), Unmarked(form));
      EXPECT_EQ(head.largest, std::size_t{256} << 10);
    }
  }
  const std::string plain((std::size_t{5} << 20) + 7, 'x');
  CountingHead head{plain};
  EXPECT_EQ(DetectEncoding(head.Reader()), Encoding::kBytes);
  EXPECT_EQ(head.largest, kDetectionLimit);
}

class ScriptsTest : public ::testing::Test {
 protected:
  // What the program writes for `bytes`, read whole in memory (budget 0)
  // or block by block on the bounded path (a small budget).
  std::string Output(std::string_view bytes, std::uint64_t budget = 0) {
    const std::string source = dir_.File("source.txt");
    testing::WriteBytes(source, bytes);
    platform::NoProgress progress;
    const RemovalOptions options{budget, budget == 0 ? "" : testing::Utf8(temp_.path())};
    const FileRemoval removal = FileRemoval::FindRepeats(source, progress, options);
    if (budget == 0 || budget < bytes.size()) {
      EXPECT_EQ(removal.bounded(), budget != 0);
    }
    if (!removal.found_repeats()) return std::string(kNoRepeats);
    const std::string output = dir_.File("output.txt");
    removal.WriteSurvivors(output, progress);
    return testing::ReadBytes(output);
  }

  // Checks `text` in every form, marked and not, on both paths.
  void CheckEveryForm(const std::u32string& text, const std::string& what) {
    const std::optional<std::u32string> expected = FirstOccurrences(text);
    for (const Form form : kForms) {
      for (const bool marked : {false, true}) {
        const std::string mark = marked ? Mark(form) : "";
        const std::string bytes = mark + Encode(text, form);
        const std::string want =
            expected ? mark + Encode(*expected, form) : std::string(kNoRepeats);
        const std::string where =
            what + ", form " + std::to_string(static_cast<int>(form)) + (marked ? ", marked" : "");
        ASSERT_EQ(Output(bytes), want) << where;
        ASSERT_EQ(Output(bytes, bytes.size() / 2 + 600), want) << where << ", bounded";
      }
    }
  }

  testing::TempDir dir_;
  testing::TempDir temp_;
};

// Letters of many scripts, across the planes: code point ranges to draw from.
struct Script {
  char32_t first;
  char32_t last;
  bool spaced;  // words are separated by spaces
};
constexpr Script kScripts[] = {
    {U'a', U'z', true},        {0x010A, 0x010F, true},  // Ċ ċ Č č Ď ď
    {0x0430, 0x044F, true},    {0x03B1, 0x03C9, true},    {0x05D0, 0x05EA, true},
    {0x0627, 0x064A, true},    {0x0915, 0x0939, true},    {0x0A05, 0x0A28, true},
    {0x0A85, 0x0AB9, true},    {0x0D05, 0x0D28, true},    {0x0D85, 0x0D96, true},
    {0x0E01, 0x0E2E, false},   {0x3041, 0x3093, false},   {0x4E00, 0x4E2F, false},
    {0xAC00, 0xAC20, true},    {0xFF01, 0xFF5E, false},   {0x10330, 0x1034A, true},
    {0x1D400, 0x1D433, true},  {0x1F600, 0x1F64F, false}, {0x20000, 0x2000F, false},
    {0x30000, 0x3000F, false}, {0xE0100, 0xE0110, false},
};

std::u32string RandomText(std::mt19937& random) {
  const auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  std::vector<std::u32string> values(1 + pick(12));
  for (std::u32string& value : values) {
    const Script& script = kScripts[pick(std::size(kScripts))];
    const std::size_t words = 1 + pick(4);
    for (std::size_t w = 0; w < words; ++w) {
      if (w > 0 && script.spaced) value += U' ';
      for (std::size_t n = 1 + pick(8); n > 0; --n) {
        value += static_cast<char32_t>(script.first + pick(script.last - script.first + 1));
      }
    }
    if (pick(12) == 0) value = pick(2) == 0 ? U"" : U" ";
  }
  constexpr std::u32string_view kEnds[] = {U"\r\n", U"\n", U"\r"};
  const std::size_t style = pick(4);  // one kind of line end, or any
  std::u32string text;
  for (std::size_t lines = 2 + pick(60); lines > 0; --lines) {
    text += values[pick(values.size())];
    text += kEnds[style < 3 ? style : pick(3)];
  }
  if (pick(4) == 0) text += values[0];  // a last line without its end
  return text;
}

TEST_F(ScriptsTest, FirstOccurrencesExactInEveryScriptFormAndLineEnd) {
  std::mt19937 random(1616);
  for (int round = 0; round < 40; ++round) {
    CheckEveryForm(RandomText(random), "round " + std::to_string(round));
  }
  CheckEveryForm(U"čaj\nmléko\nčaj\n", "the Czech example");
}

TEST_F(ScriptsTest, LegacyCodePagesStayBytesAndTheirTextsComeThroughInEveryForm) {
  for (const LegacyText& text : kLegacyTexts) {
    const std::string what(text.code_page);
    EXPECT_EQ(DetectEncoding(text.bytes), Encoding::kBytes) << what;
    EXPECT_EQ(DetectEncoding(text.utf8), Encoding::kBytes) << what;
    for (const std::string_view bytes : {text.bytes, text.utf8}) {
      const std::optional<std::u32string> expected = FirstOccurrences(Widen(bytes));
      ASSERT_TRUE(expected.has_value());
      EXPECT_EQ(Output(bytes), Narrow(*expected)) << what;
      EXPECT_EQ(Output(bytes, bytes.size() / 2), Narrow(*expected)) << what << ", bounded";
    }
    CheckEveryForm(DecodeUtf8(text.utf8), what);
  }
}

TEST_F(ScriptsTest, AFileWhoseFirst64KiBCannotDecideOnBothPaths) {
  std::u32string text;
  for (std::size_t i = 0; i < 40000; ++i) text += static_cast<char32_t>(0x4E01 + i % 0xD0);
  text += U"\r\n上海\n上海\nč\rč\r";
  for (const Form form : {Form::kUtf16Le, Form::kUtf16Be}) {
    const std::string bytes = Encode(text, form);
    const std::string want = Encode(*FirstOccurrences(text), form);
    EXPECT_EQ(Output(bytes), want);
    EXPECT_EQ(Output(bytes, 60000), want);
  }
}

}  // namespace
}  // namespace velloran::dedupe
