#pragma once

// How a text file's bytes become lines and how lines become bytes again:
// the encoding a byte order mark announces, the line ends, and the few
// fixed texts written in the file's own encoding.

#include <string_view>

#include "dedupe/item_list.h"

namespace velloran::dedupe {

// kBytes: no byte order mark; any ANSI code page or UTF-8, split as bytes.
enum class Encoding { kBytes, kUtf8Bom, kUtf16Le, kUtf16Be };

// The encoding announced by the byte order mark `bytes` start with.
Encoding DetectEncoding(std::string_view bytes);

// The byte order mark written first for `encoding` (empty for kBytes).
std::string_view ByteOrderMark(Encoding encoding);
// Carriage return and line feed in `encoding`.
std::string_view LineEnd(Encoding encoding);
// One space character in `encoding`.
std::string_view Space(Encoding encoding);
// The None911 marker in `encoding`.
std::string_view EncodedNone911(Encoding encoding);

// The lines of `text` (the file's bytes after its byte order mark), each
// without its line end. CR LF, LF and a lone CR each end a line, as 16-bit
// units in UTF-16; a last line without a line end is a line too; nothing
// else is special. A stray odd byte at the end of UTF-16 text stays part of
// the last line, so no byte is lost.
ItemList SplitLines(std::string_view text, Encoding encoding);

}  // namespace velloran::dedupe
