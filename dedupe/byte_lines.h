#pragma once

// Line ends in byte text, found many bytes at a time: the hot loop of reading
// a file without a byte order mark. CR LF, LF and a lone CR each end a line;
// a last line without a line end is a line too.

#include <cstddef>
#include <string_view>
#include <vector>

#include "dedupe/item_list.h"

namespace velloran::dedupe {

// How the bytes are scanned: one at a time, or by vector compares of 16 or
// 32 bytes. All give the same result.
enum class ByteScan { kPlain, kSse2, kAvx2 };

// The scans this processor can run, the fastest last.
std::vector<ByteScan> AvailableByteScans();
ByteScan FastestByteScan();

// The number of lines in `text`.
std::size_t CountByteLines(std::string_view text, ByteScan scan);

// Makes `lines` the lines of `text`, in order.
void SplitByteLines(std::string_view text, ItemList& lines, ByteScan scan);
// Adds the lines of `text`, a part of a longer text, to `lines`.
void SplitByteLines(std::string_view text, ItemRun& lines, ByteScan scan);

}  // namespace velloran::dedupe
