#pragma once

// How a text file's bytes become lines and how lines become bytes again:
// the encoding (announced by a byte order mark, or recognised from the text
// itself), the line ends, and the few fixed texts written in the file's own
// encoding.

#include <cstddef>
#include <string_view>

#include "dedupe/item_list.h"

namespace velloran::dedupe {

// kBytes: no byte order mark; any ANSI code page or UTF-8, split as bytes.
// The UTF-16 and UTF-32 encodings are split on their 16- or 32-bit units;
// the ...NoBom ones are UTF-16 recognised without a mark and written back
// without one.
enum class Encoding {
  kBytes,
  kUtf8Bom,
  kUtf16Le,
  kUtf16Be,
  kUtf32Le,
  kUtf32Be,
  kUtf16LeNoBom,
  kUtf16BeNoBom,
};

// How many bytes at the start of a file DetectEncoding looks at: every way
// of reading a file decides on the same bytes.
inline constexpr std::size_t kDetectionSample = std::size_t{64} << 10;

// The encoding of a file that starts with `sample` (its first
// kDetectionSample bytes, or all of it when shorter): by its byte order
// mark, or UTF-16 without a mark when the evidence is unambiguous: line ends
// that are whole 16-bit units, no carriage return or line feed byte off that
// grid, no NUL unit, and NUL bytes mostly in the high half of units.
Encoding DetectEncoding(std::string_view sample);

// Bytes per code unit: 1, 2 or 4.
std::size_t UnitWidth(Encoding encoding);
// The byte order mark written first for `encoding` (empty when it has none).
std::string_view ByteOrderMark(Encoding encoding);
// Carriage return and line feed in `encoding`.
std::string_view LineEnd(Encoding encoding);
// One space character in `encoding`.
std::string_view Space(Encoding encoding);
// The None911 marker in `encoding`.
std::string_view EncodedNone911(Encoding encoding);

// The lines of `text` (the file's bytes after its byte order mark), each
// without its line end: CR LF, LF and a lone CR each end a line, as whole
// code units of the encoding (dedupe/line_end.h); a last line without a line
// end is a line too; nothing else is special. Bytes after the last whole
// unit (an odd-length UTF-16 file) stay part of the last line, so no byte is
// lost. SplitLinesInto appends them to `lines`; CountLines counts them.
ItemList SplitLines(std::string_view text, Encoding encoding);
void SplitLinesInto(std::string_view text, Encoding encoding, ItemList& lines);
std::size_t CountLines(std::string_view text, Encoding encoding);

// The offset of the first or last unit of `text` that can end a line (a
// carriage return or a line feed, on the unit grid), or npos when none does.
std::size_t FirstLineEndUnit(std::string_view text, Encoding encoding);
std::size_t LastLineEndUnit(std::string_view text, Encoding encoding);

// The code unit at `offset` of `text` (which must hold a whole one).
unsigned UnitAt(std::string_view text, std::size_t offset, Encoding encoding);

}  // namespace velloran::dedupe
