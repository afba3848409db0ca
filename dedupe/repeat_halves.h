#pragma once

// The repeat table's work on both cores. Each core finds the repeats within
// one half of the lines, with a table of its own; then the lines still
// standing in the second half, the first of their value there, are looked
// up in the first half's table, which both cores only read, each for a
// quarter of the lines. A line of the second half equal to one of the first
// is a repeat too, so the first occurrence in the whole file still wins and
// the result is exactly that of one pass over all lines.

#include <cstddef>
#include <span>
#include <string_view>

#include "dedupe/both_cores.h"
#include "dedupe/repeat_table.h"

namespace velloran::dedupe {

// BlankRepeatsWith on two threads, with the same result. Only the calling
// thread calls `lines_done`, with an estimate of the lines done (every 2^18
// lines or so); it may throw to stop the work on both.
template <class Hasher, class Progress>
bool BlankRepeatsOnBothCores(std::span<std::string_view> lines, Hasher hasher,
                             Progress lines_done) {
  if (lines.size() < 2) return BlankRepeatsWith(lines, hasher, lines_done);
  const std::size_t half = lines.size() / 2;
  const std::span<std::string_view> first = lines.first(half);
  const std::span<std::string_view> second = lines.subspan(half);
  repeat_table::Table<Hasher> earlier(first, hasher);
  bool found[2] = {false, false};
  RunOnBothCores(2, [&](std::size_t lane, const LaneStop& stop) {
    if (lane == 0) {
      found[0] = earlier.BlankRepeats(lines_done);
    } else {
      repeat_table::Table<Hasher> later(second, hasher);
      found[1] = later.BlankRepeats([&](std::size_t) { stop.Check(); });
    }
  });
  const std::size_t quarter = second.size() / 2;
  bool across[2] = {false, false};
  RunOnBothCores(2, [&](std::size_t lane, const LaneStop& stop) {
    if (lane == 0) {
      across[0] = earlier.BlankThoseFound(second.first(quarter),
                                          [&](std::size_t done) { lines_done(half + 2 * done); });
    } else {
      across[1] =
          earlier.BlankThoseFound(second.subspan(quarter), [&](std::size_t) { stop.Check(); });
    }
  });
  return found[0] || found[1] || across[0] || across[1];
}

}  // namespace velloran::dedupe
