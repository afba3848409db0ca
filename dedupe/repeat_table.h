#pragma once

// Blanks every line that repeats an earlier one in one pass over the lines,
// with an open-addressing table of first occurrences (linear probing; each
// slot is 32 bits: the line's number, and above it a tag of as many bits of
// the line's hash as the line count leaves, 11 for two million lines).
//
// The table is sized once from the number of lines and never grows. Lines
// are handled in batches that pass through a pipeline: hash a batch and
// prefetch each line's home slot; probe the slots in line order; prefetch
// the earlier line of every tag match; confirm those matches by comparing
// bytes, in line order. The cache misses of many lines overlap instead of
// being paid one after another.
//
// Two cores share the work by halves of the file: each finds the repeats
// within its half in a table of its own, then the lines still standing in
// the second half that the first half's table holds are blanked too, the
// cores taking a part of the second half each. Every line is hashed once in
// the first step, and a table is only read while both work on it.
//
// The hash is a parameter so tests can force collisions.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "dedupe/both_cores.h"
#include "dedupe/core_messages.h"
#include "dedupe/item_list.h"
#include "dedupe/prefetch.h"
#include "platform/memory.h"

namespace velloran::dedupe {
namespace repeat_table {

// 0: free; else (the line's number + 1) | (its tag above the number's bits).
struct Slot {
  std::uint32_t bits;
};

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
  std::span<Slot> all() { return {slots_, count_}; }
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

template <class Hasher, class Lines>
class Table {
 public:
  // With zeroed slots made earlier by SlotsForLines(lines.size()), or
  // none, and then the table makes its own.
  Table(Lines lines, Hasher hasher, SlotArray slots)
      : lines_(lines), hasher_(hasher), line_bits_(LineBits(lines.size())) {
    const std::size_t count = SlotCount(CheckedLineCount(lines.size()));
    owned_ = slots.count() == count ? std::move(slots) : SlotArray(count);
    slots_ = owned_.all().data();
    slot_count_ = count;
  }

  // On zeroed slots owned by the caller, more than there are lines.
  Table(Lines lines, Hasher hasher, std::span<Slot> slots)
      : lines_(lines),
        hasher_(hasher),
        line_bits_(LineBits(lines.size())),
        slot_count_(slots.size()),
        slots_(slots.data()) {
    CheckedLineCount(lines.size());
  }

  // Returns whether any line was blanked. Calls `lines_done(count)` every
  // 2^18 lines; it may throw to stop.
  template <class Progress>
  bool BlankRepeats(Progress lines_done) {
    RunPipeline(
        lines_, batches_, lines_done, [this](Batch& batch) { Probe(batch); },
        [this](const Batch& batch) { Compare(batch); });
    return found_;
  }

  // Blanks each non-empty line of `later` that equals a line of this table,
  // which BlankRepeats has filled. Returns whether it blanked any. Calls
  // `lines_done(count)` every 2^18 lines; it may throw to stop. Pending
  // entries then number lines of `later`.
  template <class Progress>
  bool BlankLinesHeld(Lines later, Progress lines_done) const {
    Batch batches[kStages];
    bool found = false;
    RunPipeline(
        later, batches, lines_done, [&](Batch& batch) { FindCandidates(later, batch); },
        [&](const Batch& batch) { found |= BlankHeld(later, batch); });
    return found;
  }

 private:
  // Batches of 64 lines keep more look-ups on their way to memory at once
  // than batches of 32, which left the table waiting.
  static constexpr std::size_t kBatch = 64;
  static constexpr std::size_t kStages = 4;
  static constexpr std::size_t kProgressRounds = (std::size_t{1} << 18) / kBatch;

  struct Pending {
    std::uint32_t line;
    std::uint32_t earlier;  // the earlier line whose tag matched
    std::size_t slot;       // where it matched
  };

  // One batch of lines on its way through the stages.
  struct Batch {
    std::size_t first = 0;
    std::size_t size = 0;
    std::uint64_t hashes[kBatch];
    Pending pending[kBatch];
    std::size_t pending_count = 0;
  };

  std::size_t Home(std::uint64_t hash) const { return ScaleToRange(hash, slot_count_); }
  std::size_t Next(std::size_t slot) const { return slot + 1 == slot_count_ ? 0 : slot + 1; }

  // The bits a line number + 1 takes, the rest of a slot being its tag.
  static unsigned LineBits(std::size_t lines) {
    return static_cast<unsigned>(std::bit_width(lines));
  }
  // The low bits of the hash (the home slot comes from its high bits),
  // moved above the line number's bits; none when the number takes all 32.
  std::uint32_t Tag(std::uint64_t hash) const {
    return static_cast<std::uint32_t>(hash << line_bits_);
  }
  std::uint32_t TagOf(Slot slot) const {
    return slot.bits & static_cast<std::uint32_t>(~std::uint64_t{0} << line_bits_);
  }
  std::uint32_t LineOf(Slot slot) const { return (slot.bits ^ TagOf(slot)) - 1; }
  static bool IsFree(Slot slot) { return slot.bits == 0; }
  static Slot Entry(std::uint32_t tag, std::size_t line) {
    return Slot{tag | static_cast<std::uint32_t>(line + 1)};
  }

  // Slots number lines with 32 bits.
  static std::size_t CheckedLineCount(std::size_t lines) {
    if (lines >= std::numeric_limits<std::uint32_t>::max()) {
      throw std::length_error(std::string(core_messages::kTooManyLines));
    }
    return lines;
  }

  // Batch k of `lines` is hashed in round k, probed in round k + 1, has its
  // earlier lines' bytes prefetched in round k + 2 and is compared in round
  // k + 3, so each cache miss has a round of other work to hide behind.
  template <class Progress, class ProbeStage, class CompareStage>
  void RunPipeline(Lines lines, Batch (&batches)[kStages], Progress lines_done, ProbeStage probe,
                   CompareStage compare) const {
    const std::size_t rounds = (lines.size() + kBatch - 1) / kBatch;
    for (std::size_t round = 0; round < rounds + kStages - 1; ++round) {
      if (round % kProgressRounds == 0 && round > 0) lines_done(round * kBatch);
      if (round < rounds) Hash(lines, batches[round % kStages], round);
      if (round >= 1 && round - 1 < rounds) probe(batches[(round - 1) % kStages]);
      if (round >= 2 && round - 2 < rounds) PrefetchEarlierLines(batches[(round - 2) % kStages]);
      if (round >= 3 && round - 3 < rounds) compare(batches[(round - 3) % kStages]);
    }
  }

  void Hash(Lines lines, Batch& batch, std::size_t number) const {
    batch.first = number * kBatch;
    batch.size = std::min(kBatch, lines.size() - batch.first);
    batch.pending_count = 0;
    for (std::size_t i = 0; i < batch.size; ++i) {
      const std::string_view line = lines[batch.first + i];
      if (line.empty()) continue;
      batch.hashes[i] = hasher_(line);
      PrefetchForReading(&slots_[Home(batch.hashes[i])]);
    }
  }

  // The first slot from `slot` on that is free or has a tag match.
  std::size_t Candidate(std::size_t slot, std::uint32_t tag) const {
    for (;; slot = Next(slot)) {
      const Slot found = slots_[slot];
      if (IsFree(found) || TagOf(found) == tag) return slot;
    }
  }

  // The first slot from `slot` on that is free or holds a line equal to
  // `line`.
  std::size_t Find(std::size_t slot, std::string_view line, std::uint32_t tag) const {
    for (;; slot = Next(slot)) {
      const Slot found = slots_[slot];
      if (IsFree(found) || (TagOf(found) == tag && lines_[LineOf(found)] == line)) return slot;
    }
  }

  // Notes that line `i` of `batch` met a tag match in `slot`, to be
  // confirmed by its bytes.
  void AddPending(Batch& batch, std::size_t i, std::size_t slot) const {
    const std::uint32_t earlier = LineOf(slots_[slot]);
    batch.pending[batch.pending_count++] =
        Pending{static_cast<std::uint32_t>(batch.first + i), earlier, slot};
    PrefetchForReading(lines_.Entry(earlier));
  }

  // Both ends of each line: a line of a few dozen bytes often runs over
  // the end of a cache line, and the comparison would then wait for the
  // second. A line in the table is never empty.
  void PrefetchEarlierLines(const Batch& batch) const {
    for (std::size_t p = 0; p < batch.pending_count; ++p) {
      const std::string_view earlier = lines_[batch.pending[p].earlier];
      PrefetchForReading(earlier.data());
      PrefetchForReading(earlier.data() + earlier.size() - 1);
    }
  }

  // Lines without a tag match are new and enter the table at once, in
  // order; lines with one wait for the byte comparison. Equal lines have
  // equal probe sequences, so a later copy of a waiting line meets the same
  // tag match first and waits too: first occurrences are decided in order.
  void Probe(Batch& batch) {
    for (std::size_t i = 0; i < batch.size; ++i) {
      const std::size_t line = batch.first + i;
      if (lines_.IsBlank(line)) continue;
      const std::uint32_t tag = Tag(batch.hashes[i]);
      const std::size_t slot = Candidate(Home(batch.hashes[i]), tag);
      if (IsFree(slots_[slot])) {
        slots_[slot] = Entry(tag, line);
      } else {
        AddPending(batch, i, slot);
      }
    }
  }

  // A tag match of a different line sends a line on along the probe
  // sequence, comparing bytes at every tag match, to be entered where a free
  // slot ends it. Lines entered meanwhile sit past the match, as no slot
  // before it was free.
  void Compare(const Batch& batch) {
    for (std::size_t p = 0; p < batch.pending_count; ++p) {
      const Pending& match = batch.pending[p];
      if (lines_[match.earlier] == lines_[match.line]) {
        Blank(match.line);
        continue;
      }
      const std::uint32_t tag = Tag(batch.hashes[match.line - batch.first]);
      const std::size_t slot = Find(Next(match.slot), lines_[match.line], tag);
      if (IsFree(slots_[slot])) {
        slots_[slot] = Entry(tag, match.line);
      } else {
        Blank(match.line);
      }
    }
  }

  // Lines of `later` that meet a free slot before any tag match are not
  // held.
  void FindCandidates(Lines later, Batch& batch) const {
    for (std::size_t i = 0; i < batch.size; ++i) {
      if (later.IsBlank(batch.first + i)) continue;
      const std::size_t slot = Candidate(Home(batch.hashes[i]), Tag(batch.hashes[i]));
      if (!IsFree(slots_[slot])) AddPending(batch, i, slot);
    }
  }

  bool BlankHeld(Lines later, const Batch& batch) const {
    bool found = false;
    for (std::size_t p = 0; p < batch.pending_count; ++p) {
      const Pending& match = batch.pending[p];
      const std::string_view line = later[match.line];
      if (lines_[match.earlier] == line ||
          !IsFree(
              slots_[Find(Next(match.slot), line, Tag(batch.hashes[match.line - batch.first]))])) {
        later.Blank(match.line);
        found = true;
      }
    }
    return found;
  }

  void Blank(std::size_t line) {
    lines_.Blank(line);
    found_ = true;
  }

  Lines lines_;
  Hasher hasher_;
  unsigned line_bits_;
  SlotArray owned_;
  std::size_t slot_count_ = 0;
  Slot* slots_ = nullptr;
  Batch batches_[kStages];
  bool found_ = false;
};

// The same in `lanes` lanes (1 or 2), each on a core of its own, on lines
// held as a ViewSpan or an ItemSpan (dedupe/item_list.h).
template <class Lines, class Hasher, class Progress>
bool BlankRepeatsIn(Lines lines, Hasher hasher, Progress lines_done, SlotArray slots,
                    std::size_t lanes) {
  if (lines.size() == 0) return false;
  if (lanes <= 1 || lines.size() < 2) {
    return Table<Hasher, Lines>(lines, hasher, std::move(slots)).BlankRepeats(lines_done);
  }
  using Halves = Table<Hasher, Lines>;
  const std::size_t total = SlotCount(lines.size());
  if (slots.count() != total) slots = SlotArray(total);
  // Each half gets half the slots: still more than a third more than lines.
  const Lines first = lines.first(lines.size() / 2);
  const Lines second = lines.subspan(first.size());
  const std::span<Slot> all = slots.all();
  std::optional<Halves> tables[2];
  tables[0].emplace(first, hasher, all.first(total / 2));
  tables[1].emplace(second, hasher, all.subspan(total / 2));
  bool found[2][2] = {{false, false}, {false, false}};
  // Lane 0 reports for both, as they go at about the same pace; lane 1 only
  // looks whether lane 0 has stopped.
  const auto progress = [&lines_done](std::size_t lane, const LaneStop& stop, std::size_t done) {
    if (lane == 0) {
      lines_done(done);
    } else {
      stop.Check();
    }
  };
  RunOnBothCores(2, [&](std::size_t lane, const LaneStop& stop) {
    found[0][lane] =
        tables[lane]->BlankRepeats([&, lane](std::size_t done) { progress(lane, stop, 2 * done); });
  });
  // The second half's survivors that the first half holds, a part each.
  const Lines parts[2] = {second.first(second.size() / 2), second.subspan(second.size() / 2)};
  RunOnBothCores(2, [&](std::size_t lane, const LaneStop& stop) {
    found[1][lane] = tables[0]->BlankLinesHeld(
        parts[lane], [&, lane](std::size_t) { progress(lane, stop, lines.size()); });
  });
  return found[0][0] || found[0][1] || found[1][0] || found[1][1];
}

}  // namespace repeat_table

// Blanks every non-empty line that equals an earlier one, keeping the first
// occurrence of each value in place. Returns whether any line was blanked.
// Calls `lines_done(count)` now and then (every 2^18 lines); it may throw to
// stop the work.
template <class Hasher, class Progress>
bool BlankRepeatsWith(std::span<std::string_view> lines, Hasher hasher, Progress lines_done) {
  return BlankRepeatsWith(lines, hasher, lines_done, repeat_table::SlotArray(), 1);
}

// The same in `lanes` lanes (1 or 2), each on a core of its own, with the
// slots made ahead by repeat_table::SlotsForLines (or none, and then the
// table makes its own); the result is the same as in one. Only lane 0, on
// the calling thread, calls `lines_done`; when it throws, the other lane
// stops too and the lines are left partly blanked.
template <class Hasher, class Progress>
bool BlankRepeatsWith(std::span<std::string_view> lines, Hasher hasher, Progress lines_done,
                      repeat_table::SlotArray slots, std::size_t lanes) {
  return repeat_table::BlankRepeatsIn(ViewSpan(lines), hasher, lines_done, std::move(slots), lanes);
}

// The same on a text's items.
template <class Hasher, class Progress>
bool BlankRepeatsWith(ItemSpan items, Hasher hasher, Progress lines_done,
                      repeat_table::SlotArray slots, std::size_t lanes) {
  return repeat_table::BlankRepeatsIn(items, hasher, lines_done, std::move(slots), lanes);
}

template <class Hasher>
bool BlankRepeatsWith(std::span<std::string_view> lines, Hasher hasher) {
  return BlankRepeatsWith(lines, hasher, [](std::size_t) {});
}

}  // namespace velloran::dedupe
