#pragma once

// A fast 64-bit hash of a line's bytes for the repeat table. Not for
// security: equal hashes are always confirmed by comparing the bytes.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace velloran::dedupe {
namespace line_hash {

inline constexpr std::uint64_t kSeed = 0x243F6A8885A308D3ULL;
inline constexpr std::uint64_t kOdd1 = 0xA0761D6478BD642FULL;
inline constexpr std::uint64_t kOdd2 = 0xE7037ED1A0B428DBULL;
inline constexpr std::uint64_t kOdd3 = 0x8EBC6AF09C88C6E3ULL;

inline std::uint64_t Load64(const char* p) {
  std::uint64_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

inline std::uint64_t Load32(const char* p) {
  std::uint32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// Multiplies and folds the high half into the low half.
inline std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
#ifdef __SIZEOF_INT128__
  __extension__ using Wide = unsigned __int128;
  const Wide product = static_cast<Wide>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
#else
  // 32-bit targets: four 32x32 products give the same folding.
  const std::uint64_t a_lo = a & 0xFFFFFFFFu, a_hi = a >> 32;
  const std::uint64_t b_lo = b & 0xFFFFFFFFu, b_hi = b >> 32;
  const std::uint64_t lo_lo = a_lo * b_lo, hi_lo = a_hi * b_lo;
  const std::uint64_t lo_hi = a_lo * b_hi, hi_hi = a_hi * b_hi;
  const std::uint64_t cross = (lo_lo >> 32) + (hi_lo & 0xFFFFFFFFu) + lo_hi;
  const std::uint64_t low = (cross << 32) | (lo_lo & 0xFFFFFFFFu);
  const std::uint64_t high = hi_hi + (hi_lo >> 32) + (cross >> 32);
  return low ^ high;
#endif
}

}  // namespace line_hash

// Hashes every byte of `line`; lines that differ in any byte or in length
// almost always hash differently. The hash only decides where lines are
// looked for and which are compared, never the result, so each width of
// processor has its own.
#ifdef __SIZEOF_INT128__
inline std::uint64_t HashLine(std::string_view line) {
  using namespace line_hash;
  const char* p = line.data();
  const std::size_t n = line.size();
  std::uint64_t seed = kSeed ^ Mix(n ^ kOdd1, kOdd2);
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  if (n <= 16) {
    if (n >= 8) {
      a = Load64(p);
      b = Load64(p + n - 8);
    } else if (n >= 4) {
      a = (Load32(p) << 32) | Load32(p + n - 4);
    } else if (n > 0) {
      a = (std::uint64_t{static_cast<unsigned char>(p[0])} << 16) |
          (std::uint64_t{static_cast<unsigned char>(p[n / 2])} << 8) |
          static_cast<unsigned char>(p[n - 1]);
    }
  } else {
    std::size_t left = n;
    if (left > 32) {
      // Two independent lanes keep the multiplier busy on long lines.
      std::uint64_t other = seed;
      do {
        seed = Mix(Load64(p) ^ kOdd1, Load64(p + 8) ^ seed);
        other = Mix(Load64(p + 16) ^ kOdd3, Load64(p + 24) ^ other);
        p += 32;
        left -= 32;
      } while (left > 32);
      seed ^= other;
    }
    if (left > 16) {
      seed = Mix(Load64(p) ^ kOdd1, Load64(p + 8) ^ seed);
    }
    // The last 16 bytes, which may overlap bytes already hashed.
    a = Load64(line.data() + n - 16);
    b = Load64(line.data() + n - 8);
  }
  return Mix(kOdd3 ^ n, Mix(a ^ kOdd1, b ^ seed));
}

#else

namespace line_hash {

// Multiplies the two halves of the state, each with a constant folded in,
// into one 64-bit product and splits it into the halves again: one 32 x 32
// -> 64-bit multiply, a single instruction on a 32-bit processor, where
// 64-bit products cost three and their high halves several more.
inline void Mix32(std::uint32_t& a, std::uint32_t& b) {
  const std::uint64_t product = std::uint64_t{a ^ 0x53C5CA59u} * (b ^ 0x74743C1Bu);
  a = static_cast<std::uint32_t>(product);
  b = static_cast<std::uint32_t>(product >> 32);
}

inline std::uint32_t Load32Bits(const char* p) {
  std::uint32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

}  // namespace line_hash

inline std::uint64_t HashLine(std::string_view line) {
  using namespace line_hash;
  const char* p = line.data();
  std::size_t n = line.size();
  std::uint32_t a = 0x243F6A88u ^ static_cast<std::uint32_t>(n);
  std::uint32_t b = 0x85A308D3u;
  Mix32(a, b);
  for (; n > 8; n -= 8, p += 8) {
    a ^= Load32Bits(p);
    b ^= Load32Bits(p + 4);
    Mix32(a, b);
  }
  if (n >= 4) {
    // The last 4 to 8 bytes, as two words that may overlap.
    a ^= Load32Bits(p);
    b ^= Load32Bits(p + n - 4);
  } else if (n > 0) {
    a ^= (std::uint32_t{static_cast<unsigned char>(p[0])} << 16) |
         (std::uint32_t{static_cast<unsigned char>(p[n / 2])} << 8) |
         static_cast<unsigned char>(p[n - 1]);
  }
  Mix32(a, b);
  Mix32(a, b);
  return (std::uint64_t{a} << 32) | b;
}

#endif

// HashLine as the function object the repeat table takes.
struct LineHasher {
  std::uint64_t operator()(std::string_view line) const { return HashLine(line); }
};

}  // namespace velloran::dedupe
