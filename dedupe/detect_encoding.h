#pragma once

// How a file's encoding is decided from its first bytes. Every way of
// reading a file (whole in memory or block by block), on every platform and
// width, asks this one function, so the same bytes always get the same
// encoding. The rule:
//
// 1. A byte order mark decides: EF BB BF is UTF-8; FF FE 00 00 and
//    00 00 FE FF are UTF-32; FF FE and FE FF are UTF-16. The mark is kept.
//
// Without a mark the rule weighs a sample: the first 64 KiB, and while they
// cannot decide, the first 256 KiB, 1 MiB and 4 MiB. A sample is final when
// it is the whole file or 4 MiB long; a final sample always decides.
//
// 2. A sample without a NUL byte is byte text (UTF-8, every 8-bit and
//    multi-byte code page), once it is final.
// 3. UTF-32 when every whole 32-bit unit of the sample, read in one byte
//    order, is a character: U+0001 to U+10FFFF, not a surrogate, in a plane
//    that holds characters (0-3 and 14-16); and not so read in the other.
// 4. UTF-16: a byte order fits when the sample read in it has no NUL unit
//    (00 00) and every surrogate is paired (a high surrogate as its last
//    unit may be paired after it). A unit holding a 0A or 0D byte beside
//    another byte (U+010D, U+4E0A) is a character like any other.
//    - No order fits (NUL bytes on both halves, as in binary data): bytes.
//    - A fitting order whose line-end units (000A, 000D) the sample holds is
//      a candidate. One candidate: UTF-16 in its order. Two: the one with
//      more units U+0001 to U+00FF (NUL in the high byte: ASCII, line
//      ends); equal counts wait for a final sample, then little-endian.
//    - No candidate: bytes, once the sample is final.
//
// UTF-16 and UTF-32 found this way are written back without a mark.

#include <cstddef>
#include <functional>
#include <string_view>

#include "dedupe/text_format.h"

namespace velloran::dedupe {

// The first sample and the longest one.
inline constexpr std::size_t kDetectionSample = std::size_t{64} << 10;
inline constexpr std::size_t kDetectionLimit = std::size_t{4} << 20;

// Gives the first `size` bytes of a file, or all of it when it is shorter.
// The view stays valid until the next call.
using FileHead = std::function<std::string_view(std::size_t size)>;

// The encoding of the file whose start `head` gives.
Encoding DetectEncoding(const FileHead& head);

// The encoding of the file whose bytes are `bytes` (the whole file, or at
// least its first kDetectionLimit bytes).
Encoding DetectEncoding(std::string_view bytes);

}  // namespace velloran::dedupe
