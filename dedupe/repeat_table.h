#pragma once

// Blanks every line that repeats an earlier one in one pass over the lines,
// with an open-addressing table of first occurrences (linear probing; each
// slot holds a 32-bit tag of the line's hash and the line's index).
//
// The table is sized once from the number of lines and never grows. Lines
// are handled in batches that pass through a pipeline: hash a batch and
// prefetch each line's home slot; probe the slots in line order; prefetch
// the earlier line of every tag match; confirm those matches by comparing
// bytes, in line order. The cache misses of many lines overlap instead of
// being paid one after another.
//
// Two lanes can share one table, each on a core of its own: a line belongs
// to the lane its hash's top bit names, so equal lines always meet in the
// same lane, which takes its lines in file order; the first occurrence of
// every value is the same as with one lane. The lanes claim free slots with
// an atomic compare-and-swap, and a lane only reads the views while they
// share them: each lane marks its repeats in a bitmap of its own, and they
// are blanked afterwards.
//
// The hash is a parameter so tests can force collisions.

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "dedupe/both_cores.h"
#include "dedupe/core_messages.h"
#include "platform/memory.h"

namespace velloran::dedupe {
namespace repeat_table {

// Aligned to its size so that it can be read and claimed atomically.
struct alignas(8) Slot {
  std::uint32_t tag;
  std::uint32_t index_plus_one;  // 0: the slot is free
};

inline void Prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  (void)address;
#endif
}

// Zeroed slots, backed by large pages where the system offers them.
class SlotArray {
 public:
  SlotArray() = default;  // none
  explicit SlotArray(std::size_t count)
      : slots_(static_cast<Slot*>(platform::AllocateLargeArray(count * sizeof(Slot)))),
        count_(count) {}
  SlotArray(SlotArray&& other) noexcept
      : slots_(std::exchange(other.slots_, nullptr)), count_(std::exchange(other.count_, 0)) {}
  SlotArray& operator=(SlotArray&& other) noexcept {
    std::swap(slots_, other.slots_);
    std::swap(count_, other.count_);
    return *this;
  }
  ~SlotArray() {
    if (slots_ != nullptr) platform::FreeLargeArray(slots_, count_ * sizeof(Slot));
  }

  Slot& operator[](std::size_t index) { return slots_[index]; }
  std::size_t count() const { return count_; }
  // The memory the slots take, to fault it in ahead (platform::PrefaultPages).
  void* data() { return slots_; }
  std::size_t bytes() const { return count_ * sizeof(Slot); }

 private:
  Slot* slots_ = nullptr;
  std::size_t count_ = 0;
};

// Room for `lines` at a load of at most three quarters. Any count will do,
// not just powers of two, so the table is never much larger than needed.
constexpr std::uint64_t SlotsFor(std::uint64_t lines) {
  return std::max<std::uint64_t>(16, lines + lines / 3 + 1);
}

// SlotsFor as a count this process can allocate.
inline std::size_t SlotCount(std::size_t lines) {
  if (lines > std::numeric_limits<std::size_t>::max() / 2 / sizeof(Slot)) throw std::bad_alloc();
  return static_cast<std::size_t>(SlotsFor(lines));
}

// The slots a table for `lines` lines takes, made ahead of the table so
// that their pages can be faulted in meanwhile.
inline SlotArray SlotsForLines(std::size_t lines) { return SlotArray(SlotCount(lines)); }

// Maps a hash evenly onto [0, count) by the high half of a multiplication.
inline std::size_t ScaleToRange(std::uint64_t hash, std::size_t count) {
#ifdef __SIZEOF_INT128__
  __extension__ using Wide = unsigned __int128;
  return static_cast<std::size_t>((static_cast<Wide>(hash) * count) >> 64);
#else
  // Narrow targets cannot hold 2^32 slots, so 32 bits of hash suffice, in
  // one 32 x 32 -> 64-bit multiply.
  return static_cast<std::size_t>(
      (std::uint64_t{static_cast<std::uint32_t>(hash >> 32)} * static_cast<std::uint32_t>(count)) >>
      32);
#endif
}

// Which lines a lane takes, and where its repeats go.
struct LaneShare {
  // Of `lanes` lanes (1 or 2), this is lane `lane`.
  std::size_t lane = 0;
  std::size_t lanes = 1;
  // With more than one lane: this lane's own bit per line, set for each
  // repeat it finds (a lane of its own, so that the cores never write to
  // the same cache line). With one lane, repeats are blanked at once.
  std::uint64_t* repeats = nullptr;
};

template <class Hasher>
class Table {
 public:
  Table(std::span<std::string_view> lines, Hasher hasher)
      : lines_(lines),
        hasher_(hasher),
        slot_count_(SlotCount(CheckedLineCount(lines.size()))),
        slots_(slot_count_) {}

  // With zeroed slots made earlier by SlotsForLines(lines.size()).
  Table(std::span<std::string_view> lines, Hasher hasher, SlotArray slots)
      : lines_(lines),
        hasher_(hasher),
        slot_count_(SlotCount(CheckedLineCount(lines.size()))),
        slots_(slots.count() == slot_count_ ? std::move(slots) : SlotArray(slot_count_)) {}

  // Returns whether any line was blanked. Calls `lines_done(count)` every
  // 2^18 lines; it may throw to stop.
  template <class Progress>
  bool BlankRepeats(Progress lines_done) {
    return BlankRepeats(LaneShare{}, lines_done);
  }

  // The same for one lane of several, which may run at the same time as
  // the others on this table; returns whether this lane found a repeat.
  template <class Progress>
  bool BlankRepeats(const LaneShare& share, Progress lines_done) {
    Lane lane;
    lane.share = share;
    const std::size_t count = lines_.size();
    const std::size_t batches = (count + kBatch - 1) / kBatch;
    // Batch k is hashed in round k, probed in round k + 1, has its earlier
    // lines' bytes prefetched in round k + 2 and is compared in round k + 3,
    // so each cache miss has a round of other work to hide behind.
    for (std::size_t round = 0; round < batches + kStages - 1; ++round) {
      if (round % kProgressRounds == 0 && round > 0) lines_done(round * kBatch);
      if (round < batches) Hash(lane, round);
      if (round >= 1 && round - 1 < batches) Probe(lane, round - 1);
      if (round >= 2 && round - 2 < batches) PrefetchEarlierLines(lane, round - 2);
      if (round >= 3 && round - 3 < batches) Compare(lane, round - 3);
    }
    return lane.found;
  }

 private:
  static constexpr std::size_t kBatch = 16;
  static constexpr std::size_t kStages = 4;
  static constexpr std::size_t kProgressRounds = (std::size_t{1} << 18) / kBatch;

  struct Pending {
    std::uint32_t line;
    std::uint32_t earlier;  // the earlier line whose tag matched
    std::uint32_t tag;
    std::size_t slot;  // where it matched
  };

  // One batch of lines on its way through the stages. Lines of other lanes
  // are left out of it.
  struct Batch {
    std::size_t size = 0;
    std::uint32_t lines[kBatch];
    std::uint64_t hashes[kBatch];
    Pending pending[kBatch];
    std::size_t pending_count = 0;
  };

  // What one lane works with.
  struct Lane {
    LaneShare share;
    Batch batches[kStages];
    bool found = false;

    Batch& At(std::size_t number) { return batches[number % kStages]; }
    bool Takes(std::uint64_t hash) const { return share.lanes == 1 || (hash >> 63) == share.lane; }
  };

  std::size_t Home(std::uint64_t hash) const { return ScaleToRange(hash, slot_count_); }
  std::size_t Next(std::size_t slot) const { return slot + 1 == slot_count_ ? 0 : slot + 1; }
  static std::uint32_t Tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash); }

  // Slots number lines with 32 bits.
  static std::size_t CheckedLineCount(std::size_t lines) {
    if (lines >= std::numeric_limits<std::uint32_t>::max()) {
      throw std::length_error(std::string(core_messages::kTooManyLines));
    }
    return lines;
  }

  Slot Load(std::size_t slot) {
    return std::atomic_ref(slots_[slot]).load(std::memory_order_relaxed);
  }

  // Enters `line` into `slot` if it is still free. Another lane may have
  // taken it meanwhile: then false, and the probe goes on from there.
  bool Claim(const Lane& lane, std::size_t slot, std::uint32_t tag, std::size_t line) {
    const Slot entry{tag, static_cast<std::uint32_t>(line + 1)};
    if (lane.share.lanes == 1) {
      slots_[slot] = entry;
      return true;
    }
    Slot free{0, 0};
    return std::atomic_ref(slots_[slot])
        .compare_exchange_strong(free, entry, std::memory_order_relaxed);
  }

  void Hash(Lane& lane, std::size_t number) {
    Batch& batch = lane.At(number);
    const std::size_t first = number * kBatch;
    const std::size_t last = std::min(first + kBatch, lines_.size());
    batch.size = 0;
    batch.pending_count = 0;
    for (std::size_t line = first; line < last; ++line) {
      const std::string_view text = lines_[line];
      if (text.empty()) continue;
      const std::uint64_t hash = hasher_(text);
      if (!lane.Takes(hash)) continue;
      batch.lines[batch.size] = static_cast<std::uint32_t>(line);
      batch.hashes[batch.size++] = hash;
      Prefetch(&slots_[Home(hash)]);
    }
  }

  // Lines without a tag match are new and enter the table at once, in
  // order; lines with one wait for the byte comparison. Equal lines have
  // equal probe sequences, so a later copy of a waiting line meets the same
  // tag match first and waits too: first occurrences are decided in order.
  // Another lane's lines can only be tag matches that the bytes refute.
  void Probe(Lane& lane, std::size_t number) {
    Batch& batch = lane.At(number);
    for (std::size_t i = 0; i < batch.size; ++i) {
      const std::uint32_t tag = Tag(batch.hashes[i]);
      for (std::size_t slot = Home(batch.hashes[i]);;) {
        const Slot found = Load(slot);
        if (found.index_plus_one == 0) {
          if (Claim(lane, slot, tag, batch.lines[i])) break;
          continue;  // taken by another lane meanwhile: look at it again
        }
        if (found.tag == tag) {
          batch.pending[batch.pending_count++] =
              Pending{batch.lines[i], found.index_plus_one - 1, tag, slot};
          Prefetch(&lines_[found.index_plus_one - 1]);
          break;
        }
        slot = Next(slot);
      }
    }
  }

  void PrefetchEarlierLines(Lane& lane, std::size_t number) {
    const Batch& batch = lane.At(number);
    for (std::size_t p = 0; p < batch.pending_count; ++p) {
      Prefetch(lines_[batch.pending[p].earlier].data());
    }
  }

  void Compare(Lane& lane, std::size_t number) {
    const Batch& batch = lane.At(number);
    for (std::size_t p = 0; p < batch.pending_count; ++p) {
      const Pending& match = batch.pending[p];
      if (lines_[match.earlier] == lines_[match.line]) {
        Blank(lane, match.line);
      } else {
        ProbeOnFrom(lane, match);
      }
    }
  }

  // A tag matched a different line: go on along the probe sequence,
  // comparing bytes at every tag match, and enter the line where a free slot
  // ends the sequence. Lines entered meanwhile sit past `match.slot`, as no
  // slot before it was free.
  void ProbeOnFrom(Lane& lane, const Pending& match) {
    for (std::size_t slot = Next(match.slot);;) {
      const Slot found = Load(slot);
      if (found.index_plus_one == 0) {
        if (Claim(lane, slot, match.tag, match.line)) return;
        continue;  // taken by another lane meanwhile: look at it again
      }
      if (found.tag == match.tag && lines_[found.index_plus_one - 1] == lines_[match.line]) {
        Blank(lane, match.line);
        return;
      }
      slot = Next(slot);
    }
  }

  void Blank(Lane& lane, std::size_t line) {
    if (lane.share.repeats != nullptr) {
      lane.share.repeats[line / 64] |= std::uint64_t{1} << (line % 64);
    } else {
      lines_[line] = std::string_view();
    }
    lane.found = true;
  }

  std::span<std::string_view> lines_;
  Hasher hasher_;
  std::size_t slot_count_;
  SlotArray slots_;
};

}  // namespace repeat_table

// Blanks every non-empty line that equals an earlier one, keeping the first
// occurrence of each value in place. Returns whether any line was blanked.
// Calls `lines_done(count)` now and then (every 2^18 lines); it may throw to
// stop the work.
template <class Hasher, class Progress>
bool BlankRepeatsWith(std::span<std::string_view> lines, Hasher hasher, Progress lines_done) {
  if (lines.empty()) return false;
  repeat_table::Table<Hasher> table(lines, hasher);
  return table.BlankRepeats(lines_done);
}

// The same with the slots made ahead by repeat_table::SlotsForLines.
template <class Hasher, class Progress>
bool BlankRepeatsWith(std::span<std::string_view> lines, Hasher hasher, Progress lines_done,
                      repeat_table::SlotArray slots) {
  if (lines.empty()) return false;
  repeat_table::Table<Hasher> table(lines, hasher, std::move(slots));
  return table.BlankRepeats(lines_done);
}

// The same in `lanes` lanes (1 or 2), each on a core of its own; the result
// is the same as in one. Only lane 0, on the calling thread, calls
// `lines_done`; when it throws, the other lane stops too and the lines are
// left partly blanked.
template <class Hasher, class Progress>
bool BlankRepeatsWith(std::span<std::string_view> lines, Hasher hasher, Progress lines_done,
                      repeat_table::SlotArray slots, std::size_t lanes) {
  if (lanes <= 1) return BlankRepeatsWith(lines, hasher, lines_done, std::move(slots));
  if (lines.empty()) return false;
  repeat_table::Table<Hasher> table(lines, hasher, std::move(slots));
  const std::size_t words = (lines.size() + 63) / 64;
  const auto repeats = std::make_unique<std::uint64_t[]>(2 * words);
  bool found[2] = {false, false};
  RunOnBothCores(2, [&](std::size_t lane, const LaneStop& stop) {
    const repeat_table::LaneShare share{lane, 2, repeats.get() + lane * words};
    if (lane == 0) {
      found[0] = table.BlankRepeats(share, lines_done);
    } else {
      found[1] = table.BlankRepeats(share, [&stop](std::size_t) { stop.Check(); });
    }
  });
  for (std::size_t word = 0; word < words; ++word) {
    for (std::uint64_t bits = repeats[word] | repeats[words + word]; bits != 0; bits &= bits - 1) {
      lines[word * 64 + static_cast<std::size_t>(std::countr_zero(bits))] = std::string_view();
    }
  }
  return found[0] || found[1];
}

template <class Hasher>
bool BlankRepeatsWith(std::span<std::string_view> lines, Hasher hasher) {
  return BlankRepeatsWith(lines, hasher, [](std::size_t) {});
}

}  // namespace velloran::dedupe
