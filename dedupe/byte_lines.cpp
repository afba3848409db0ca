#include "dedupe/byte_lines.h"

#include <bit>
#include <cstdint>

#include "dedupe/line_end.h"

// x86, 64-bit and 32-bit alike, uses vector compares: SSE2 (which every
// x86-64 processor and every processor that runs a 32-bit Windows 8 or later
// has) and AVX2, each chosen at run time when the processor has it. The
// functions that use them are compiled for those instruction sets alone,
// whatever the build's baseline. Other processors use the plain byte loops.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define VELLORAN_SSE2 1
#define VELLORAN_AVX2 1
#define VELLORAN_TARGET(set) __attribute__((target(set)))
#endif

namespace velloran::dedupe {
namespace {

using line_end::FinishesLineEnd;
using line_end::IsLineEndUnit;
using line_end::JoinsNext;
using line_end::kCr;
using line_end::kLf;

unsigned Unit(char byte) { return static_cast<unsigned char>(byte); }

// Counts the line ends that finish from `i` on, one byte at a time.
std::size_t CountLineEndsFrom(std::string_view text, std::size_t i) {
  std::size_t count = 0;
  for (; i < text.size(); ++i) {
    const bool last = i + 1 == text.size();
    count += FinishesLineEnd(Unit(text[i]), last ? 0 : Unit(text[i + 1]), last);
  }
  return count;
}

std::size_t FinalUnendedLine(std::string_view text) {
  return !text.empty() && !IsLineEndUnit(Unit(text.back())) ? 1 : 0;
}

// The vector scanners compute the same two tests on 16 or 32 bytes at once:
// IsLineEndUnit as "equals CR or equals LF", for the bytes where lines are
// cut, and FinishesLineEnd as "equals LF, or equals CR and the next byte
// does not equal LF", for counting.
constexpr char kCrByte = static_cast<char>(kCr);
constexpr char kLfByte = static_cast<char>(kLf);

// Ends lines at the line-end bytes the scan reports, in ascending order, and
// adds them to `Lines` (an ItemList or an ItemRun).
template <class Lines>
class LineCutter {
 public:
  LineCutter(std::string_view text, Lines& lines) : text_(text), lines_(lines) {}

  void EndAt(std::size_t pos) {
    if (pos < start_) return;  // the LF of a CR LF already taken
    lines_.Add(start_, pos - start_);
    start_ = pos + 1;
    if (start_ < text_.size() && JoinsNext(Unit(text_[pos]), Unit(text_[start_]))) ++start_;
  }

  void EndAllIn(std::uint64_t mask, std::size_t base) {
    while (mask != 0) {
      EndAt(base + static_cast<std::size_t>(std::countr_zero(mask)));
      mask &= mask - 1;
    }
  }

  void FinishFrom(std::size_t i) {
    for (; i < text_.size(); ++i) {
      if (IsLineEndUnit(Unit(text_[i]))) EndAt(i);
    }
    if (start_ < text_.size()) lines_.Add(start_, text_.size() - start_);
  }

 private:
  std::string_view text_;
  Lines& lines_;
  std::size_t start_ = 0;
};

#if defined(VELLORAN_SSE2)

bool HasSse2() { return __builtin_cpu_supports("sse2"); }

// Sums the bytes where a line end finishes in byte lanes, 16 bytes at a
// time; each block also looks at the byte after it, so the vector loop stops
// one byte early. A lane counts at most 255 rounds before it is summed.
VELLORAN_TARGET("sse2") std::size_t CountSse2(std::string_view text) {
  const char* p = text.data();
  const std::size_t n = text.size();
  const __m128i cr = _mm_set1_epi8(kCrByte);
  const __m128i lf = _mm_set1_epi8(kLfByte);
  const __m128i zero = _mm_setzero_si128();
  std::size_t count = 0;
  std::size_t i = 0;
  while (i + 17 <= n) {
    __m128i lanes = zero;
    for (int round = 0; round < 255 && i + 17 <= n; ++round, i += 16) {
      const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
      const __m128i ends =
          _mm_or_si128(_mm_cmpeq_epi8(here, lf),
                       _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(here, cr)));
      lanes = _mm_sub_epi8(lanes, ends);
    }
    const __m128i sums = _mm_sad_epu8(lanes, zero);
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
  return count + CountLineEndsFrom(text, i);
}

VELLORAN_TARGET("sse2") std::uint32_t LineEndMaskSse2(const char* p) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<std::uint32_t>(
      _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(kCrByte)),
                                     _mm_cmpeq_epi8(bytes, _mm_set1_epi8(kLfByte)))));
}

template <class Lines>
VELLORAN_TARGET("sse2")
void SplitSse2(std::string_view text, Lines& lines) {
  LineCutter cutter(text, lines);
  std::size_t i = 0;
  for (; i + 32 <= text.size(); i += 32) {
    cutter.EndAllIn(LineEndMaskSse2(text.data() + i) |
                        (std::uint64_t{LineEndMaskSse2(text.data() + i + 16)} << 16),
                    i);
  }
  cutter.FinishFrom(i);
}

#endif

#if defined(VELLORAN_AVX2)

bool HasAvx2() { return __builtin_cpu_supports("avx2"); }

VELLORAN_TARGET("avx2") std::size_t CountAvx2(std::string_view text) {
  const char* p = text.data();
  const std::size_t n = text.size();
  const __m256i cr = _mm256_set1_epi8(kCrByte);
  const __m256i lf = _mm256_set1_epi8(kLfByte);
  const __m256i zero = _mm256_setzero_si256();
  std::size_t count = 0;
  std::size_t i = 0;
  while (i + 33 <= n) {
    __m256i lanes = zero;
    for (int round = 0; round < 255 && i + 33 <= n; ++round, i += 32) {
      const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
      const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 1));
      const __m256i ends = _mm256_or_si256(
          _mm256_cmpeq_epi8(here, lf),
          _mm256_andnot_si256(_mm256_cmpeq_epi8(next, lf), _mm256_cmpeq_epi8(here, cr)));
      lanes = _mm256_sub_epi8(lanes, ends);
    }
    // Four sums of at most 8 * 255 each, added in 32-bit lanes, which a
    // 32-bit build can take out as well as a 64-bit one.
    const __m256i sums = _mm256_sad_epu8(lanes, zero);
    const __m128i pairs =
        _mm_add_epi32(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(pairs)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(pairs, 8)));
  }
  return count + CountLineEndsFrom(text, i);
}

VELLORAN_TARGET("avx2") std::uint64_t LineEndMaskAvx2(const char* p) {
  const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  return static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(kCrByte)),
                                           _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(kLfByte)))));
}

template <class Lines>
VELLORAN_TARGET("avx2")
void SplitAvx2(std::string_view text, Lines& lines) {
  LineCutter cutter(text, lines);
  std::size_t i = 0;
  for (; i + 64 <= text.size(); i += 64) {
    cutter.EndAllIn(
        LineEndMaskAvx2(text.data() + i) | (LineEndMaskAvx2(text.data() + i + 32) << 32), i);
  }
  cutter.FinishFrom(i);
}

#endif

template <class Lines>
void SplitWith(std::string_view text, Lines& lines, ByteScan scan) {
  switch (scan) {
#if defined(VELLORAN_AVX2)
    case ByteScan::kAvx2:
      return SplitAvx2(text, lines);
#endif
#if defined(VELLORAN_SSE2)
    case ByteScan::kSse2:
      return SplitSse2(text, lines);
#endif
    default:
      return LineCutter(text, lines).FinishFrom(0);
  }
}

}  // namespace

std::vector<ByteScan> AvailableByteScans() {
  std::vector<ByteScan> scans = {ByteScan::kPlain};
#if defined(VELLORAN_SSE2)
  if (HasSse2()) scans.push_back(ByteScan::kSse2);
#endif
#if defined(VELLORAN_AVX2)
  if (HasAvx2()) scans.push_back(ByteScan::kAvx2);
#endif
  return scans;
}

std::size_t CountByteLines(std::string_view text, ByteScan scan) {
  switch (scan) {
#if defined(VELLORAN_AVX2)
    case ByteScan::kAvx2:
      return CountAvx2(text) + FinalUnendedLine(text);
#endif
#if defined(VELLORAN_SSE2)
    case ByteScan::kSse2:
      return CountSse2(text) + FinalUnendedLine(text);
#endif
    default:
      return CountLineEndsFrom(text, 0) + FinalUnendedLine(text);
  }
}

void SplitByteLines(std::string_view text, ItemList& lines, ByteScan scan) {
  lines.Reset(text);
  SplitWith(text, lines, scan);
}

void SplitByteLines(std::string_view text, ItemRun& lines, ByteScan scan) {
  SplitWith(text, lines, scan);
}

ByteScan FastestByteScan() { return AvailableByteScans().back(); }

}  // namespace velloran::dedupe
