#include "dedupe/text_format.h"

#include <array>
#include <string>

#include "dedupe/byte_lines.h"
#include "dedupe/eliminate.h"
#include "dedupe/line_end.h"

namespace velloran::dedupe {
namespace {

using namespace std::string_view_literals;
using line_end::IsLineEndUnit;
using line_end::JoinsNext;

constexpr std::size_t kEncodingCount = 10;

bool BigEndian(Encoding encoding) {
  return encoding == Encoding::kUtf16Be || encoding == Encoding::kUtf32Be ||
         encoding == Encoding::kUtf16BeNoBom || encoding == Encoding::kUtf32BeNoBom;
}

// Reads code units of `Width` bytes in one byte order.
template <std::size_t Width, bool Big>
struct UnitReader {
  static constexpr std::size_t kWidth = Width;
  unsigned operator()(const char* p) const {
    unsigned value = 0;
    for (std::size_t i = 0; i < Width; ++i) {
      const auto byte = static_cast<unsigned char>(p[Big ? i : Width - 1 - i]);
      value = (value << 8) | byte;
    }
    return value;
  }
};

// Calls `line(begin, length)` for every line of `text` in order, reading its
// whole code units with `unit`; bytes past the last whole unit stay with the
// last line.
template <class Reader, class LineSink>
void ForEachLine(std::string_view text, Reader unit, LineSink line) {
  constexpr std::size_t width = Reader::kWidth;
  const char* p = text.data();
  const std::size_t whole = text.size() - text.size() % width;
  std::size_t start = 0;
  for (std::size_t i = 0; i < whole; i += width) {
    const unsigned code = unit(p + i);
    if (!IsLineEndUnit(code)) continue;
    line(start, i - start);
    if (i + width < whole && JoinsNext(code, unit(p + i + width))) i += width;
    start = i + width;
  }
  if (start < text.size()) line(start, text.size() - start);
}

template <class Reader, class Lines>
void SplitUnitsInto(std::string_view text, Reader unit, Lines& lines) {
  ForEachLine(text, unit,
              [&lines](std::size_t begin, std::size_t length) { lines.Add(begin, length); });
}

// Calls `action` with the unit reader of `encoding`.
template <class Action>
decltype(auto) WithReader(Encoding encoding, Action action) {
  switch (encoding) {
    case Encoding::kUtf16Le:
    case Encoding::kUtf16LeNoBom:
      return action(UnitReader<2, false>{});
    case Encoding::kUtf16Be:
    case Encoding::kUtf16BeNoBom:
      return action(UnitReader<2, true>{});
    case Encoding::kUtf32Le:
    case Encoding::kUtf32LeNoBom:
      return action(UnitReader<4, false>{});
    case Encoding::kUtf32Be:
    case Encoding::kUtf32BeNoBom:
      return action(UnitReader<4, true>{});
    default:
      return action(UnitReader<1, false>{});
  }
}

struct EncodedTexts {
  std::string line_end;
  std::string space;
  std::string none911;
};

std::string Encode(std::string_view ascii, Encoding encoding) {
  const std::size_t width = UnitWidth(encoding);
  std::string out;
  for (const char c : ascii) {
    std::string unit(width, '\0');
    unit[BigEndian(encoding) ? width - 1 : 0] = c;
    out += unit;
  }
  return out;
}

const EncodedTexts& TextsOf(Encoding encoding) {
  static const std::array<EncodedTexts, kEncodingCount> texts = [] {
    std::array<EncodedTexts, kEncodingCount> all;
    for (std::size_t i = 0; i < kEncodingCount; ++i) {
      const auto each = static_cast<Encoding>(i);
      all[i] = {Encode("\r\n", each), Encode(" ", each), Encode(kNone911, each)};
    }
    return all;
  }();
  return texts[static_cast<std::size_t>(encoding)];
}

}  // namespace

std::size_t UnitWidth(Encoding encoding) {
  return WithReader(encoding, [](auto reader) { return decltype(reader)::kWidth; });
}

std::string_view ByteOrderMark(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8Bom:
      return "\xEF\xBB\xBF"sv;
    case Encoding::kUtf16Le:
      return "\xFF\xFE"sv;
    case Encoding::kUtf16Be:
      return "\xFE\xFF"sv;
    case Encoding::kUtf32Le:
      return "\xFF\xFE\0\0"sv;
    case Encoding::kUtf32Be:
      return "\0\0\xFE\xFF"sv;
    default:
      return {};
  }
}

std::string_view LineEnd(Encoding encoding) { return TextsOf(encoding).line_end; }
std::string_view Space(Encoding encoding) { return TextsOf(encoding).space; }
std::string_view EncodedNone911(Encoding encoding) { return TextsOf(encoding).none911; }

std::size_t CountLines(std::string_view text, Encoding encoding) {
  if (UnitWidth(encoding) == 1) return CountByteLines(text, FastestByteScan());
  return WithReader(encoding, [text](auto unit) {
    std::size_t count = 0;
    ForEachLine(text, unit, [&count](std::size_t, std::size_t) { ++count; });
    return count;
  });
}

void SplitLinesInto(std::string_view text, Encoding encoding, ItemList& lines) {
  if (UnitWidth(encoding) == 1) return SplitByteLines(text, lines, FastestByteScan());
  lines.Reset(text);
  WithReader(encoding, [&](auto reader) { SplitUnitsInto(text, reader, lines); });
}

void SplitLinesInto(std::string_view text, Encoding encoding, ItemRun& lines) {
  if (UnitWidth(encoding) == 1) return SplitByteLines(text, lines, FastestByteScan());
  WithReader(encoding, [&](auto reader) { SplitUnitsInto(text, reader, lines); });
}

ItemList SplitLines(std::string_view text, Encoding encoding) {
  ItemList lines;
  lines.reserve(CountLines(text, encoding));
  SplitLinesInto(text, encoding, lines);
  return lines;
}

std::size_t FirstLineEndUnit(std::string_view text, Encoding encoding) {
  return WithReader(encoding, [text](auto unit) {
    constexpr std::size_t width = decltype(unit)::kWidth;
    for (std::size_t i = 0; i + width <= text.size(); i += width) {
      if (IsLineEndUnit(unit(text.data() + i))) return i;
    }
    return std::string_view::npos;
  });
}

std::size_t LastLineEndUnit(std::string_view text, Encoding encoding) {
  return WithReader(encoding, [text](auto unit) {
    constexpr std::size_t width = decltype(unit)::kWidth;
    for (std::size_t i = text.size() - text.size() % width; i >= width; i -= width) {
      if (IsLineEndUnit(unit(text.data() + i - width))) return i - width;
    }
    return std::string_view::npos;
  });
}

std::size_t EndOfFirstLineEnd(std::string_view text, Encoding encoding) {
  const std::size_t end = FirstLineEndUnit(text, encoding);
  if (end == std::string_view::npos) return end;
  const std::size_t width = UnitWidth(encoding);
  std::size_t after = end + width;
  if (UnitAt(text, end, encoding) == line_end::kCr) {
    // Whether an LF follows, and belongs to the same line end, is unknown.
    if (after + width > text.size()) return std::string_view::npos;
    if (UnitAt(text, after, encoding) == line_end::kLf) after += width;
  }
  return after;
}

unsigned UnitAt(std::string_view text, std::size_t offset, Encoding encoding) {
  return WithReader(encoding, [&](auto unit) { return unit(text.data() + offset); });
}

}  // namespace velloran::dedupe
