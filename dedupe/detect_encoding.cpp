#include "dedupe/detect_encoding.h"

#include <cstdint>
#include <cstring>
#include <optional>

namespace velloran::dedupe {
namespace {

using namespace std::string_view_literals;

std::optional<Encoding> ByMark(std::string_view head) {
  // FF FE 00 00 is UTF-32's mark; UTF-16's is only its first half.
  if (head.starts_with("\xEF\xBB\xBF"sv)) return Encoding::kUtf8Bom;
  if (head.starts_with("\xFF\xFE\0\0"sv)) return Encoding::kUtf32Le;
  if (head.starts_with("\0\0\xFE\xFF"sv)) return Encoding::kUtf32Be;
  if (head.starts_with("\xFF\xFE"sv)) return Encoding::kUtf16Le;
  if (head.starts_with("\xFE\xFF"sv)) return Encoding::kUtf16Be;
  return std::nullopt;
}

const unsigned char* Bytes(std::string_view sample) {
  return reinterpret_cast<const unsigned char*>(sample.data());
}

// Whether `value` is a character a text can hold: not NUL, not a surrogate,
// and in one of the planes that hold characters (0-3 and 14-16).
constexpr bool IsCharacter32(std::uint32_t value) {
  constexpr std::uint32_t kPlanes = 0x1C00F;  // bit n: plane n holds characters
  return value != 0 && value <= 0x10FFFF && (value & 0xFFFFF800) != 0xD800 &&
         ((kPlanes >> (value >> 16)) & 1) != 0;
}

// The 32-bit unit at `p`.
std::uint32_t Unit32(const unsigned char* p, bool big) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value = value << 8 | p[big ? i : 3 - i];
  return value;
}

// Whether the sample has whole 32-bit units and every one is a character.
bool AllCharacters32(std::string_view sample, bool big) {
  const unsigned char* p = Bytes(sample);
  const std::size_t units = sample.size() / 4;
  for (std::size_t i = 0; i < units; ++i, p += 4) {
    if (!IsCharacter32(Unit32(p, big))) return false;
  }
  return units > 0;
}

// What the sample's 16-bit units, read in one byte order, show.
struct Reading16 {
  std::size_t broken = 0;  // NUL units and unpaired surrogates
  std::size_t line_ends = 0;
  std::size_t low_range = 0;  // units U+0001 to U+00FF

  bool fits() const { return broken == 0; }
  bool candidate() const { return fits() && line_ends > 0; }
};

constexpr bool IsHighSurrogate(unsigned unit) { return (unit & 0xFC00) == 0xD800; }
constexpr bool IsLowSurrogate(unsigned unit) { return (unit & 0xFC00) == 0xDC00; }

// One pass that counts instead of branching, each unit read with the one
// before it, so that the compiler can do many units at a time.
Reading16 Read16(std::string_view sample, bool big) {
  const unsigned char* p = Bytes(sample);
  const std::size_t high = big ? 0 : 1;
  const auto unit_at = [p, high](std::size_t i) {
    return unsigned{p[2 * i + high]} << 8 | p[2 * i + 1 - high];
  };
  const std::size_t units = sample.size() / 2;
  if (units == 0) return {};
  // A sample holds at most kDetectionLimit bytes: 32-bit counts will do.
  std::uint32_t broken = (unit_at(0) == 0) + IsLowSurrogate(unit_at(0));
  std::uint32_t line_ends = (unit_at(0) == 0x0A) + (unit_at(0) == 0x0D);
  std::uint32_t low_range = unit_at(0) - 1 < 0xFF;
  for (std::size_t i = 1; i < units; ++i) {
    const unsigned unit = unit_at(i);
    // A low surrogate must follow a high one, and a high one a low one.
    broken += (unit == 0) + (IsLowSurrogate(unit) != IsHighSurrogate(unit_at(i - 1)));
    line_ends += (unit == 0x0A) + (unit == 0x0D);
    low_range += unit - 1 < 0xFF;
  }
  return {broken, line_ends, low_range};
}

// Rule 4, on a sample that holds NUL bytes.
std::optional<Encoding> WeighUtf16(std::string_view sample, bool final) {
  const Reading16 little = Read16(sample, false);
  const Reading16 big = Read16(sample, true);
  if (!little.fits() && !big.fits()) return Encoding::kBytes;
  if (little.candidate() && big.candidate()) {
    if (little.low_range > big.low_range) return Encoding::kUtf16LeNoBom;
    if (big.low_range > little.low_range) return Encoding::kUtf16BeNoBom;
    if (final) return Encoding::kUtf16LeNoBom;
    return std::nullopt;
  }
  if (little.candidate()) return Encoding::kUtf16LeNoBom;
  if (big.candidate()) return Encoding::kUtf16BeNoBom;
  if (!final) return std::nullopt;
  // No line-end unit in the whole sample. Split as bytes, a unit such as
  // U+4E0A (0A 4E) would still end a line in the middle of a character, so an
  // order that fits and holds more units from U+0001 to U+00FF than the other
  // (its NULs are the high halves of ASCII) is taken.
  if (little.fits() && little.low_range > big.low_range) return Encoding::kUtf16LeNoBom;
  if (big.fits() && big.low_range > little.low_range) return Encoding::kUtf16BeNoBom;
  return Encoding::kBytes;
}

// Rules 2 to 4 on one sample; nothing when it cannot decide.
std::optional<Encoding> Weigh(std::string_view sample, bool holds_nul, bool final) {
  if (!holds_nul) return final ? std::optional(Encoding::kBytes) : std::nullopt;
  const bool little32 = AllCharacters32(sample, false);
  const bool big32 = AllCharacters32(sample, true);
  if (little32 != big32) return little32 ? Encoding::kUtf32LeNoBom : Encoding::kUtf32BeNoBom;
  return WeighUtf16(sample, final);
}

}  // namespace

Encoding DetectEncoding(const FileHead& head) {
  if (const auto marked = ByMark(head(kDetectionSample))) return *marked;
  std::size_t searched = 0;  // bytes known to hold no NUL
  for (std::size_t size = kDetectionSample;; size *= 4) {
    const std::string_view sample = head(size);
    const bool final = sample.size() < size || size >= kDetectionLimit;
    if (searched < sample.size() &&
        std::memchr(sample.data() + searched, 0, sample.size() - searched) == nullptr) {
      searched = sample.size();
    }
    if (const auto decided = Weigh(sample, searched < sample.size(), final)) return *decided;
  }
}

Encoding DetectEncoding(std::string_view bytes) {
  return DetectEncoding([bytes](std::size_t size) { return bytes.substr(0, size); });
}

}  // namespace velloran::dedupe
