#include "dedupe/text_format.h"

#include "dedupe/byte_lines.h"

namespace velloran::dedupe {
namespace {

using namespace std::string_view_literals;

constexpr unsigned kCr = 0x0D;
constexpr unsigned kLf = 0x0A;

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

// Walks the code units of `text` (`width` bytes each, read by `unit`) and
// calls `line(begin, length)` for every line in order.
template <class UnitReader, class LineSink>
void ForEachLine(std::string_view text, std::size_t width, UnitReader unit, LineSink line) {
  const char* p = text.data();
  const std::size_t whole = text.size() - text.size() % width;
  std::size_t start = 0;
  for (std::size_t i = 0; i < whole; i += width) {
    const unsigned code = unit(p + i);
    if (code != kLf && code != kCr) continue;
    line(start, i - start);
    if (code == kCr && i + width < whole && unit(p + i + width) == kLf) i += width;
    start = i + width;
  }
  if (start < text.size()) line(start, text.size() - start);
}

unsigned Utf16LeUnit(const char* p) {
  return static_cast<unsigned char>(p[0]) |
         (static_cast<unsigned>(static_cast<unsigned char>(p[1])) << 8);
}
unsigned Utf16BeUnit(const char* p) {
  return (static_cast<unsigned>(static_cast<unsigned char>(p[0])) << 8) |
         static_cast<unsigned char>(p[1]);
}

template <class UnitReader>
ItemList SplitUnits(std::string_view text, std::size_t width, UnitReader unit) {
  std::size_t count = 0;
  ForEachLine(text, width, unit, [&count](std::size_t, std::size_t) { ++count; });
  ItemList lines;
  lines.reserve(count);
  ForEachLine(text, width, unit, [&lines, &text](std::size_t begin, std::size_t length) {
    lines.emplace_back(text.data() + begin, length);
  });
  return lines;
}

ItemList SplitBytes(std::string_view text) {
  const ByteScan scan = FastestByteScan();
  ItemList lines;
  lines.reserve(CountByteLines(text, scan));
  SplitByteLines(text, lines, scan);
  return lines;
}

}  // namespace

Encoding DetectEncoding(std::string_view bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF"sv)) return Encoding::kUtf8Bom;
  if (StartsWith(bytes, "\xFF\xFE"sv)) return Encoding::kUtf16Le;
  if (StartsWith(bytes, "\xFE\xFF"sv)) return Encoding::kUtf16Be;
  return Encoding::kBytes;
}

std::string_view ByteOrderMark(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8Bom:
      return "\xEF\xBB\xBF"sv;
    case Encoding::kUtf16Le:
      return "\xFF\xFE"sv;
    case Encoding::kUtf16Be:
      return "\xFE\xFF"sv;
    case Encoding::kBytes:
      break;
  }
  return {};
}

std::string_view LineEnd(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf16Le:
      return "\r\0\n\0"sv;
    case Encoding::kUtf16Be:
      return "\0\r\0\n"sv;
    default:
      return "\r\n"sv;
  }
}

std::string_view Space(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf16Le:
      return " \0"sv;
    case Encoding::kUtf16Be:
      return "\0 "sv;
    default:
      return " "sv;
  }
}

std::string_view EncodedNone911(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf16Le:
      return "N\0o\0n\0e\0"
             "9\0"
             "1\0"
             "1\0"sv;
    case Encoding::kUtf16Be:
      return "\0N\0o\0n\0e\0"
             "9\0"
             "1\0"
             "1"sv;
    default:
      return "None911"sv;
  }
}

ItemList SplitLines(std::string_view text, Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf16Le:
      return SplitUnits(text, 2, Utf16LeUnit);
    case Encoding::kUtf16Be:
      return SplitUnits(text, 2, Utf16BeUnit);
    default:
      return SplitBytes(text);
  }
}

}  // namespace velloran::dedupe
