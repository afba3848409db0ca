#pragma once

// What ends a line, in code units of any width (1, 2 or 4 bytes): a line
// feed, a carriage return followed by a line feed (one line end of two
// units), or a carriage return alone. Every scanner of the program, plain or
// vector, is built from these definitions.

#include <cstddef>

namespace velloran::dedupe::line_end {

inline constexpr unsigned kCr = 0x0D;
inline constexpr unsigned kLf = 0x0A;

// Whether `unit` can end a line (it is the last unit of a line end, or the
// carriage return of one).
constexpr bool IsLineEndUnit(unsigned unit) { return unit == kCr || unit == kLf; }

// Whether the line-end unit `unit` is followed by `next` within the same
// line end, so that the two together end one line.
constexpr bool JoinsNext(unsigned unit, unsigned next) { return unit == kCr && next == kLf; }

// Whether the unit `unit`, followed by `next` (or by nothing when `last`),
// is where a line end finishes: every line feed, and every carriage return
// not followed by a line feed. Counting these counts the line ends.
constexpr bool FinishesLineEnd(unsigned unit, unsigned next, bool last) {
  return unit == kLf || (unit == kCr && (last || next != kLf));
}

}  // namespace velloran::dedupe::line_end
