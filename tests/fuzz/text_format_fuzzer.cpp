// Fuzz target: the encoding of any bytes, and their lines. Every line is a
// view into the text, the lines are in order, nothing but one line end lies
// between two of them, no line holds a line end, and every scan of byte
// text finds the same lines. The same input also spells a valid UTF-16 or
// UTF-32 text without a byte order mark; whatever encoding it is given, no
// line of it starts or ends inside one of its code units.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "dedupe/byte_lines.h"
#include "dedupe/detect_encoding.h"
#include "dedupe/text_format.h"
#include "tests/fuzz/fuzz_check.h"

namespace velloran::fuzz {
namespace {

using dedupe::Encoding;

// Whether `gap` is exactly one line end: CR, LF or CR LF, as code units of
// `width` bytes.
bool IsOneLineEnd(std::string_view gap, std::string_view cr, std::string_view lf) {
  return gap == cr || gap == lf ||
         (gap.size() == cr.size() + lf.size() && gap.starts_with(cr) && gap.ends_with(lf));
}

bool HoldsLineEnd(std::string_view line, std::size_t width, std::string_view cr,
                  std::string_view lf) {
  for (std::size_t at = 0; at + width <= line.size(); at += width) {
    const std::string_view unit = line.substr(at, width);
    if (unit == cr || unit == lf) return true;
  }
  return false;
}

void CheckLines(std::string_view text, Encoding encoding) {
  const dedupe::ItemList lines = dedupe::SplitLines(text, encoding);
  // CR LF in the file's encoding is two code units.
  const std::string_view line_end = dedupe::LineEnd(encoding);
  const std::size_t width = line_end.size() / 2;
  const std::string_view cr = line_end.substr(0, width);
  const std::string_view lf = line_end.substr(width);

  std::size_t end_of_last = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t start = static_cast<std::size_t>(line.data() - text.data());
    Check(line.data() >= text.data() && start >= end_of_last && start <= text.size() &&
              line.size() <= text.size() - start,
          "lines are views into the text, in order");
    Check(start % width == 0, "lines start on the code unit grid");
    const std::string_view gap = text.substr(end_of_last, start - end_of_last);
    Check(i == 0 ? gap.empty() : IsOneLineEnd(gap, cr, lf), "one line end between lines");
    Check(!HoldsLineEnd(line, width, cr, lf), "no line holds a line end");
    end_of_last = start + line.size();
  }
  const std::string_view rest = text.substr(end_of_last);
  Check(rest.empty() || IsOneLineEnd(rest, cr, lf), "at most one line end after the last line");

  if (width != 1) return;
  for (const dedupe::ByteScan scan : dedupe::AvailableByteScans()) {
    dedupe::ItemList scanned;
    dedupe::SplitByteLines(text, scanned, scan);
    Check(scanned.size() == dedupe::CountByteLines(text, scan), "lines counted as split");
    if (encoding != Encoding::kBytes && encoding != Encoding::kUtf8Bom) continue;
    Check(scanned.size() == lines.size(), "every byte scan finds as many lines");
    for (std::size_t i = 0; i < lines.size(); ++i) {
      Check(scanned[i].data() == lines[i].data() && scanned[i].size() == lines[i].size(),
            "every byte scan finds the same lines");
    }
  }
}

// Characters a valid text is drawn from: blocks whose units hold CR or LF
// bytes beside others (U+0A00, U+0D00, U+4E00, U+2000A), surrogate pairs,
// every plane that holds characters. No NUL and no control character but
// tab, so the text is what a person writes.
constexpr char32_t kBlocks[] = {0x0000,  0x0100,  0x0400,  0x0A00,  0x0D00,  0x0E00,
                                0x3000,  0x4E00,  0xAC00,  0xFF00,  0x10300, 0x1F600,
                                0x20000, 0x30000, 0xE0100, 0x100000};

char32_t CharacterOf(std::uint8_t block, std::uint8_t offset) {
  if (block % 8 == 0) return U"\r\n\t  \r\n\n"[offset % 8];  // line ends and blanks
  const char32_t c = kBlocks[block % std::size(kBlocks)] + offset;
  if (c >= 0xFFFE && c <= 0xFFFF) return c - 0x10;  // not characters; first, a byte order mark
  return c < 0x20 ? c + 0x20 : c;
}

std::string Unit(char32_t value, std::size_t width, bool big) {
  std::string unit(width, '\0');
  for (std::size_t i = 0; i < width; ++i) {
    unit[big ? width - 1 - i : i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  return unit;
}

// The text the input spells: its first byte picks UTF-16 or UTF-32 and the
// byte order, each further pair of bytes one character; it ends in a line
// end, as a text file does.
std::string ValidText(std::string_view bytes, std::size_t& width) {
  const auto form = bytes.empty() ? 0u : static_cast<unsigned>(bytes[0]);
  width = form % 2 == 0 ? 2 : 4;
  const bool big = form % 4 >= 2;
  std::string text;
  auto put = [&](char32_t c) {
    if (width == 4 || c < 0x10000) return void(text += Unit(c, width, big));
    text += Unit(0xD800 + ((c - 0x10000) >> 10), 2, big);
    text += Unit(0xDC00 + ((c - 0x10000) & 0x3FF), 2, big);
  };
  for (std::size_t i = 1; i + 1 < bytes.size(); i += 2) {
    put(CharacterOf(static_cast<std::uint8_t>(bytes[i]), static_cast<std::uint8_t>(bytes[i + 1])));
  }
  put(U'\n');
  return text;
}

void CheckValidText(std::string_view bytes) {
  std::size_t width = 0;
  const std::string text = ValidText(bytes, width);
  const Encoding encoding = dedupe::DetectEncoding(text);
  Check(dedupe::ByteOrderMark(encoding).empty(), "a text without a mark is given none");
  for (const std::string_view line : dedupe::SplitLines(text, encoding)) {
    const auto start = static_cast<std::size_t>(line.data() - text.data());
    Check(start % width == 0 && line.size() % width == 0, "no line splits a code unit");
  }
}

}  // namespace
}  // namespace velloran::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const dedupe::Encoding encoding = dedupe::DetectEncoding(bytes);
  const std::string_view mark = dedupe::ByteOrderMark(encoding);
  fuzz::CheckLines(bytes.starts_with(mark) ? bytes.substr(mark.size()) : bytes, encoding);
  fuzz::CheckValidText(bytes);
  return 0;
}
