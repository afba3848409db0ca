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
// the ...NoBom ones are recognised without a mark (dedupe/detect_encoding.h)
// and written back without one.
enum class Encoding {
  kBytes,
  kUtf8Bom,
  kUtf16Le,
  kUtf16Be,
  kUtf32Le,
  kUtf32Be,
  kUtf16LeNoBom,
  kUtf16BeNoBom,
  kUtf32LeNoBom,
  kUtf32BeNoBom,
};

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
// lost. SplitLinesInto makes them the content of `lines`, keeping its room,
// or adds them to an ItemRun; CountLines counts them.
ItemList SplitLines(std::string_view text, Encoding encoding);
void SplitLinesInto(std::string_view text, Encoding encoding, ItemList& lines);
void SplitLinesInto(std::string_view text, Encoding encoding, ItemRun& lines);
std::size_t CountLines(std::string_view text, Encoding encoding);

// The offset of the first or last unit of `text` that can end a line (a
// carriage return or a line feed, on the unit grid), or npos when none does.
std::size_t FirstLineEndUnit(std::string_view text, Encoding encoding);
std::size_t LastLineEndUnit(std::string_view text, Encoding encoding);

// The offset just past the first whole line end in `text`, a CR LF taken
// whole, so that a text cut there leaves every line whole on one side; npos
// when `text` has none, or ends on a CR that an LF may follow.
std::size_t EndOfFirstLineEnd(std::string_view text, Encoding encoding);
// Bytes looked through from the middle of a text for a line end to cut it
// in two at, for each core to take one part.
inline constexpr std::size_t kHalvesCutSearch = std::size_t{64} << 10;

// The code unit at `offset` of `text` (which must hold a whole one).
unsigned UnitAt(std::string_view text, std::size_t offset, Encoding encoding);

}  // namespace velloran::dedupe
