#include "dedupe/bounded_removal.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

#include "dedupe/both_cores.h"
#include "dedupe/core_messages.h"
#include "dedupe/line_hash.h"
#include "dedupe/line_stream.h"
#include "dedupe/repeat_table.h"
#include "dedupe/spill.h"
#include "dedupe/survivor_writer.h"
#include "platform/error.h"

namespace velloran::dedupe {
namespace {

using platform::TemporaryFile;

// Memory a loaded line takes besides its bytes: its place in the share and
// its number (16 bytes) and its slot in a table (about 6). A partition too
// large for one share is compared a share at a time with the first share's
// survivors; meanwhile a line of the first share has two 16-byte views and
// a slot in each later table (54 bytes in all), and a line of a later share
// one view (38). What is left covers the heads of the records read.
constexpr std::size_t kFirstShareOverhead = 64;
constexpr std::size_t kLaterShareOverhead = 48;
// Partition files: each is one open file, and each lane scatters to a set
// of its own, so their number stays well below the usual limit on open
// files (1024).
constexpr std::uint64_t kMostPartitions = 256;
// Bytes a long line's hash takes at a time.
constexpr std::size_t kHashChunk = std::size_t{64} << 10;
constexpr std::size_t kCompareChunk = std::size_t{64} << 10;

struct Plan {
  StreamSizes stream;
  std::size_t threads = 1;
  std::size_t partitions = 1;
  std::size_t first_share = 0;  // memory for a partition's first share
  std::size_t later_share = 0;  // and for each later one
  std::size_t io_buffer = 0;    // per open temporary file
  std::size_t read_piece = 0;   // bytes of a partition read at a time
};

std::size_t Clamp(std::uint64_t value, std::uint64_t low, std::uint64_t high) {
  return static_cast<std::size_t>(std::clamp(value, low, high));
}

Plan MakePlan(std::uint64_t file_size, std::uint64_t budget) {
  Plan plan;
  plan.threads = LaneCount();
  // Two blocks are held at once, each with its lines: one per core when
  // the halves are sorted, one read ahead of the other when writing.
  plan.stream.block = Clamp(budget / 64, 4096, std::uint64_t{1} << 20) & ~std::size_t{3};
  plan.stream.long_line = Clamp(budget / 32, 256, std::uint64_t{1} << 20);
  // Each thread loads a partition's first share, and then, should the
  // partition not fit in it, later shares one at a time. Mostly the first
  // share holds all: it gets most of the thread's memory.
  const std::uint64_t per_thread = budget / plan.threads;
  const std::uint64_t smallest = 2 * plan.stream.long_line + 4 * kFirstShareOverhead;
  // Lines are placed in a share with 32 bits.
  const std::uint64_t largest =
      std::min<std::uint64_t>(std::numeric_limits<std::size_t>::max() / 2, ItemList::kLongestText);
  plan.first_share = Clamp(per_thread * 3 / 5, smallest, largest);
  plan.later_share = Clamp(per_thread / 5, smallest, largest);
  // A partition fits its first share for lines of about 35 bytes and more.
  plan.partitions =
      Clamp((file_size * 3 + plan.first_share - 1) / plan.first_share, 1, kMostPartitions);
  // Lines go to the partitions' buffers in turn: small buffers stay in the
  // processor's caches, and 64 KiB still keeps the write calls few.
  plan.io_buffer =
      Clamp(budget / 8 / (plan.partitions * plan.threads), 4096, std::uint64_t{64} << 10);
  // Bytes read past a share's last record go into the next share: at most
  // a record and a piece, which a later share has room for.
  plan.read_piece = std::min(plan.io_buffer, plan.later_share / 2);
  return plan;
}

std::size_t PartitionOf(std::uint64_t hash, std::size_t partitions) {
  // The table inside a partition finds a line's slot by the hash's high
  // half; the low half, mixed by a 32-bit multiply (one instruction on
  // every processor), picks the partition.
  const std::uint32_t mixed = static_cast<std::uint32_t>(hash) * 0x9E3779B9u;
  return static_cast<std::size_t>((std::uint64_t{mixed} * partitions) >> 32);
}

// A line too long to load: where it is in the file, and its hash.
struct LongLine {
  std::uint64_t number;
  std::uint64_t offset;
  std::uint64_t length;
  std::uint64_t hash;
};

// Hashes a long line from pieces of any size: the bytes in fixed chunks
// from the line's start, so equal lines hash alike wherever blocks cut them.
class ChunkedHasher {
 public:
  ChunkedHasher() : chunk_(std::make_unique_for_overwrite<char[]>(kHashChunk)) {}
  void Add(std::string_view piece) {
    while (!piece.empty()) {
      const std::size_t take = std::min(piece.size(), kHashChunk - used_);
      std::memcpy(chunk_.get() + used_, piece.data(), take);
      used_ += take;
      piece.remove_prefix(take);
      if (used_ == kHashChunk) Fold();
    }
  }
  std::uint64_t Finish(std::uint64_t length) {
    if (used_ > 0) Fold();
    const std::uint64_t hash = line_hash::Mix(hash_ ^ length, line_hash::kOdd3);
    hash_ = line_hash::kSeed;
    return hash;
  }

 private:
  void Fold() {
    hash_ =
        line_hash::Mix(hash_ ^ HashLine(std::string_view(chunk_.get(), used_)), line_hash::kOdd1);
    used_ = 0;
  }
  std::unique_ptr<char[]> chunk_;
  std::size_t used_ = 0;
  std::uint64_t hash_ = line_hash::kSeed;
};

// Writes a partition's records: the line's number as its distance from the
// number before, its length, both in 7-bit groups (spill.h), and its bytes.
// Numbers ascend within a partition, so a record's head takes about 3 bytes.
class RecordWriter {
 public:
  RecordWriter(TemporaryFile& file, std::size_t buffer_size) : out_(file, buffer_size) {}

  void Put(std::string_view line, std::uint64_t number) {
    char* const room = out_.Room(2 * kMostGroups + line.size());
    if (room != nullptr) {
      char* const bytes = EncodeGroups(EncodeGroups(room, number - previous_), line.size());
      std::memcpy(bytes, line.data(), line.size());
      out_.Advance(static_cast<std::size_t>(bytes - room) + line.size());
    } else {  // longer than the buffer
      PutGroups(out_, number - previous_);
      PutGroups(out_, line.size());
      out_.Put(line);
    }
    // Lines go to many partitions in turn: the next record's room is asked
    // for now, to be there when its turn comes.
    out_.PrefetchNext();
    previous_ = number;
  }
  void Flush() { out_.Flush(); }

 private:
  SpillWriter out_;
  std::uint64_t previous_ = 0;
};

// Step 1's sink: every non-empty line to its partition.
class Scatter final : public LineSink {
 public:
  Scatter(std::vector<std::unique_ptr<TemporaryFile>>& partitions, TemporaryFile& long_lines,
          std::size_t io_buffer)
      : long_out_(long_lines, 4096) {
    writers_.reserve(partitions.size());
    for (auto& file : partitions) writers_.emplace_back(*file, io_buffer);
  }

  void Line(std::uint64_t number, std::string_view line) override {
    if (!line.empty()) HashedLine(number, line, HashLine(line));
  }
  bool WantsLineHashes() const override { return true; }
  void HashedLine(std::uint64_t number, std::string_view line, std::uint64_t hash) override {
    if (line.empty()) return;
    writers_[PartitionOf(hash, writers_.size())].Put(line, number);
  }
  void LongLineStart(std::uint64_t number, std::uint64_t offset) override {
    long_line_ = LongLine{number, offset, 0, 0};
  }
  void LongLinePiece(std::string_view piece) override { hasher_.Add(piece); }
  void LongLineEnd(std::uint64_t length) override {
    long_line_.length = length;
    long_line_.hash = hasher_.Finish(length);
    long_out_.PutValue(long_line_);
  }

  void Flush() {
    for (RecordWriter& writer : writers_) writer.Flush();
    long_out_.Flush();
  }

 private:
  std::vector<RecordWriter> writers_;
  SpillWriter long_out_;
  ChunkedHasher hasher_;
  LongLine long_line_{};
};

// Lines of a partition loaded into memory, with their numbers. The records
// are read into the share's memory, and each line is an item there: where
// its bytes start and how many there are, in 8 bytes.
class Share {
 public:
  // Lines count `overhead` bytes each besides their own. The vectors get
  // their room at once; pages nobody touches cost nothing.
  Share(std::size_t capacity, std::size_t overhead) : capacity_(capacity), overhead_(overhead) {
    items_.reserve(capacity / overhead);
    numbers_.reserve(capacity / overhead);
  }

  std::size_t capacity() const { return capacity_; }
  char* memory() {
    if (bytes_ == nullptr) bytes_ = std::make_unique_for_overwrite<char[]>(capacity_);
    return bytes_.get();
  }
  bool Fits(std::size_t length) const {
    return used_ + length + (items_.size() + 1) * overhead_ <= capacity_;
  }
  // The `length` bytes at `offset` of the share's memory; `stored` is the
  // bytes the line's record took in its partition file.
  void Add(std::size_t offset, std::size_t length, std::uint64_t number, std::size_t stored) {
    items_.push_back(Item{static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
    numbers_.push_back(number);
    used_ += length;
    stored_ += stored;
  }
  void Clear() {
    used_ = 0;
    stored_ = 0;
    items_.clear();
    numbers_.clear();
  }
  bool empty() const { return items_.empty(); }
  std::size_t size() const { return items_.size(); }
  ItemSpan lines() { return ItemSpan(bytes_.get(), items_); }
  std::string_view line(std::size_t i) const {
    return {bytes_.get() + items_[i].offset, items_[i].size};
  }
  bool IsBlank(std::size_t i) const { return items_[i].size == 0; }
  const std::vector<std::uint64_t>& numbers() const { return numbers_; }
  // The bytes this share stood for in its partition file.
  std::uint64_t stored_bytes() const { return stored_; }

 private:
  std::size_t capacity_;
  std::size_t overhead_;
  std::unique_ptr<char[]> bytes_;
  std::size_t used_ = 0;
  std::uint64_t stored_ = 0;
  std::vector<Item> items_;
  std::vector<std::uint64_t> numbers_;
};

// A record's head: its line's number as the distance from the one before,
// and its line's length.
struct RecordHead {
  std::uint64_t gap = 0;
  std::size_t length = 0;
  std::size_t size = 0;  // bytes of the head
};

// A file of records, as RecordWriter wrote them, whose numbers count from
// `first_number`.
struct Section {
  const TemporaryFile* file;
  std::uint64_t first_number;
};
// A partition's lines: its sections in line order.
using Partition = std::vector<Section>;

std::uint64_t SizeOf(const Partition& partition) {
  std::uint64_t size = 0;
  for (const Section& section : partition) size += section.file->size();
  return size;
}

// Reads a partition's records, section after section, a piece at a time
// straight into a share's memory, where their lines stay.
class RecordReader {
 public:
  RecordReader(const Partition& partition, std::size_t piece)
      : partition_(partition), piece_(piece) {
    Enter(0);
  }

  // Loads records into `share`, which must be empty, while they fit. Bytes
  // read past the last record that fits go first into the next share.
  void LoadInto(Share& share) {
    char* const memory = share.memory();
    if (carried_ > 0) std::memmove(memory, carry_, carried_);
    std::size_t filled = carried_;
    std::size_t next = 0;
    carried_ = 0;
    // The share is full: the rest waits for the next one.
    const auto carry_rest = [&] {
      if (share.empty()) Corrupt();  // a record longer than any line
      carry_ = memory + next;
      carried_ = filled - next;
    };
    for (;;) {
      RecordHead head;
      while (Parse(memory + next, filled - next, head)) {
        if (!share.Fits(head.length)) return carry_rest();
        number_ += head.gap;
        const std::size_t stored = head.size + head.length;
        share.Add(next + head.size, head.length, number_, stored);
        next += stored;
      }
      if (position_ == size_) {
        if (next != filled) Corrupt();  // the file ends inside a record
        if (section_ + 1 == partition_.size()) return;
        Enter(section_ + 1);
        continue;
      }
      const std::size_t room = share.capacity() - filled;
      if (room == 0) return carry_rest();
      const auto want =
          static_cast<std::size_t>(std::min<std::uint64_t>({piece_, room, size_ - position_}));
      const std::size_t got = file_->ReadAt(position_, memory + filled, want);
      if (got == 0) Corrupt();
      filled += got;
      position_ += got;
    }
  }
  bool done() const {
    return carried_ == 0 && position_ == size_ && section_ + 1 == partition_.size();
  }

 private:
  void Enter(std::size_t section) {
    section_ = section;
    file_ = partition_[section].file;
    size_ = file_->size();
    position_ = 0;
    number_ = partition_[section].first_number;
  }

  // The record at `bytes` whole in `size` bytes: true with its head.
  static bool Parse(const char* bytes, std::size_t size, RecordHead& head) {
    const std::size_t gap = DecodeGroups(bytes, size, head.gap);
    if (gap == 0) return false;
    if (gap > kMostGroups) Corrupt();
    std::uint64_t line_length = 0;
    const std::size_t length = DecodeGroups(bytes + gap, size - gap, line_length);
    if (length == 0) return false;
    if (length > kMostGroups || line_length > std::numeric_limits<std::uint32_t>::max()) {
      Corrupt();
    }
    head.length = static_cast<std::size_t>(line_length);
    head.size = gap + length;
    return head.length <= size - head.size;
  }
  [[noreturn]] static void Corrupt() {
    throw platform::Error(std::string(core_messages::kTemporaryDataDamaged));
  }
  const Partition& partition_;
  std::size_t piece_;
  std::size_t section_ = 0;
  const TemporaryFile* file_ = nullptr;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
  std::uint64_t number_ = 0;
  // Read, but past the last share's last record; held in that share.
  const char* carry_ = nullptr;
  std::size_t carried_ = 0;
};

// A stretch of a repeat file holding one ascending list.
struct Segment {
  const TemporaryFile* file;
  std::uint64_t begin;
  std::uint64_t end;
};

// One thread's work in step 2: partitions, one after another.
class Worker {
 public:
  Worker(const Plan& plan, const std::string& folder)
      : plan_(plan),
        folder_(folder),
        repeat_file_(std::make_unique<TemporaryFile>(folder)),
        repeats_(*repeat_file_, plan.io_buffer),
        base_(plan.first_share, kFirstShareOverhead),
        batch_(plan.later_share, kLaterShareOverhead) {}

  // Finds the repeats among a partition's lines; `checkpoint(bytes)` is
  // called after every share with the partition bytes it covered.
  template <class Checkpoint>
  void Eliminate(const Partition& partition, Checkpoint checkpoint) {
    std::unique_ptr<TemporaryFile> remainder;
    Partition rest;
    const Partition* input = &partition;
    bool first_round = true;
    while (SizeOf(*input) > 0) {
      RecordReader reader(*input, plan_.read_piece);
      base_.Clear();
      reader.LoadInto(base_);
      const std::uint64_t begin = repeats_.Start();
      BlankRepeatsWith(
          base_.lines(), LineHasher{}, [&](std::size_t) { checkpoint(0); },
          repeat_table::SlotArray(), 1);
      // The survivors are kept only to compare the rest of the partition
      // with; mostly a partition is loaded whole.
      const bool more = !reader.done();
      kept_.clear();
      // Room at once: a vector that grows holds two copies for a moment.
      if (more) kept_.reserve(base_.size());
      for (std::size_t i = 0; i < base_.size(); ++i) {
        if (base_.IsBlank(i)) {
          Repeat(base_.numbers()[i]);
        } else if (more) {
          kept_.push_back(base_.line(i));
        }
      }
      if (first_round) checkpoint(base_.stored_bytes());
      auto next = more ? std::make_unique<TemporaryFile>(folder_) : nullptr;
      if (next != nullptr) CompareRest(reader, *next, first_round, checkpoint);
      EndList(begin);
      if (next == nullptr) break;
      remainder = std::move(next);
      rest = {{remainder.get(), 0}};
      input = &rest;
      first_round = false;
    }
  }

  std::unique_ptr<TemporaryFile>& repeat_file() { return repeat_file_; }
  RepeatListWriter& repeats() { return repeats_; }
  const std::vector<Segment>& segments() const { return segments_; }
  std::uint64_t repeat_count() const { return repeat_count_; }
  void Repeat(std::uint64_t number) {
    repeats_.Add(number);
    ++repeat_count_;
  }
  // Ends the ascending list of repeats that started at `begin`.
  void EndList(std::uint64_t begin) {
    repeats_.Flush();
    if (repeats_.end() > begin) segments_.push_back({repeat_file_.get(), begin, repeats_.end()});
  }

 private:
  // Compares the rest of `reader` with the survivors of its first share, a
  // share at a time; lines still new go to `next` for another round.
  template <class Checkpoint>
  void CompareRest(RecordReader& reader, TemporaryFile& next, bool first_round,
                   Checkpoint checkpoint) {
    RecordWriter out(next, plan_.io_buffer);
    while (!reader.done()) {
      batch_.Clear();
      reader.LoadInto(batch_);
      combined_.clear();
      combined_.reserve(kept_.size() + batch_.size());
      combined_.insert(combined_.end(), kept_.begin(), kept_.end());
      for (std::size_t i = 0; i < batch_.size(); ++i) combined_.push_back(batch_.line(i));
      BlankRepeatsWith(std::span(combined_), LineHasher{}, [&](std::size_t) { checkpoint(0); });
      for (std::size_t i = 0; i < batch_.size(); ++i) {
        if (combined_[kept_.size() + i].empty()) {
          Repeat(batch_.numbers()[i]);
        } else {
          out.Put(batch_.line(i), batch_.numbers()[i]);
        }
      }
      checkpoint(first_round ? batch_.stored_bytes() : 0);
    }
    out.Flush();
  }

  const Plan& plan_;
  std::string folder_;
  std::unique_ptr<TemporaryFile> repeat_file_;
  RepeatListWriter repeats_;
  Share base_;
  Share batch_;
  std::vector<std::string_view> kept_;
  std::vector<std::string_view> combined_;
  std::vector<Segment> segments_;
  std::uint64_t repeat_count_ = 0;
};

// Whether the `length` bytes at `a` and at `b` of `file` are equal.
bool SameBytes(platform::InputFile& file, std::uint64_t a, std::uint64_t b, std::uint64_t length) {
  const auto left = std::make_unique_for_overwrite<char[]>(kCompareChunk);
  const auto right = std::make_unique_for_overwrite<char[]>(kCompareChunk);
  for (std::uint64_t done = 0; done < length;) {
    const auto take =
        static_cast<std::size_t>(std::min<std::uint64_t>(kCompareChunk, length - done));
    file.ReadAt(a + done, left.get(), take);
    file.ReadAt(b + done, right.get(), take);
    if (std::memcmp(left.get(), right.get(), take) != 0) return false;
    done += take;
  }
  return true;
}

// Whether a line is a repeat, asked in ascending line order: the repeat
// lists are spread into a bitmap of the next 2^20 line numbers at a time,
// so each line costs one bit test, and each repeat one bit set.
class RepeatBitmap {
 public:
  RepeatBitmap(const std::vector<Segment>& segments, std::size_t buffer_size) : bits_(kRange / 64) {
    readers_.reserve(segments.size());
    heads_.reserve(segments.size());
    for (const Segment& segment : segments) {
      readers_.emplace_back(*segment.file, segment.begin, segment.end, buffer_size);
      heads_.push_back(kNone);
      Pull(readers_.size() - 1);
    }
  }

  bool IsRepeat(std::uint64_t number) {
    if (number >= range_end_) Fill(number);
    const std::uint64_t bit = number - range_begin_;
    return (bits_[static_cast<std::size_t>(bit / 64)] >> (bit % 64)) & 1u;
  }

 private:
  static constexpr std::uint64_t kRange = std::uint64_t{1} << 20;
  static constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();

  // Moves to the range holding `number` and marks the repeats in it.
  void Fill(std::uint64_t number) {
    range_begin_ = number - number % kRange;
    range_end_ = range_begin_ + kRange;
    std::fill(bits_.begin(), bits_.end(), 0);
    for (std::size_t reader = 0; reader < readers_.size(); ++reader) {
      while (heads_[reader] < range_end_) {
        if (heads_[reader] >= range_begin_) {  // numbers of ranges never asked are passed by
          const std::uint64_t bit = heads_[reader] - range_begin_;
          bits_[static_cast<std::size_t>(bit / 64)] |= std::uint64_t{1} << (bit % 64);
        }
        Pull(reader);
      }
    }
  }
  void Pull(std::size_t reader) {
    std::uint64_t number = 0;
    heads_[reader] = readers_[reader].Next(number) ? number : kNone;
  }

  std::vector<RepeatListReader> readers_;
  std::vector<std::uint64_t> heads_;
  std::vector<std::uint64_t> bits_;
  std::uint64_t range_begin_ = 0;
  std::uint64_t range_end_ = 0;
};

// Step 3's sink: every line that is not a numbered repeat, to the output.
class Survivors final : public LineSink {
 public:
  Survivors(RepeatBitmap& repeats, SurvivorWriter& out) : repeats_(repeats), out_(out) {}

  void Line(std::uint64_t number, std::string_view line) override {
    if (!line.empty() && !repeats_.IsRepeat(number)) out_.PutLine(line);
  }
  void LongLineStart(std::uint64_t number, std::uint64_t) override {
    skipping_ = repeats_.IsRepeat(number);
  }
  void LongLinePiece(std::string_view piece) override {
    if (!skipping_) out_.PutPiece(piece);
  }
  void LongLineEnd(std::uint64_t length) override {
    if (!skipping_) out_.EndLongLine(length);
  }

 private:
  RepeatBitmap& repeats_;
  SurvivorWriter& out_;
  bool skipping_ = false;
};

// What one lane scattered: a file for each partition and the list of long
// lines, its lines numbered from `first_number`.
struct ScatteredPart {
  std::vector<std::unique_ptr<TemporaryFile>> partitions;
  std::unique_ptr<TemporaryFile> long_lines;
  std::uint64_t first_number = 0;
};

// Step 1's result: a part for each half of the file, or one for all of it.
struct Scattered {
  std::vector<ScatteredPart> parts;
  StreamRange range;  // the whole file, cut where the halves meet
  StreamSummary read;
};

// Where the file can be cut in two halves: just after the first line end
// from its middle on; kToEnd when none is near.
std::uint64_t HalfwayCut(platform::InputFile& file, Encoding encoding) {
  const std::uint64_t size = file.size();
  const std::size_t width = UnitWidth(encoding);
  const std::uint64_t start = ByteOrderMark(encoding).size();
  if (size <= start) return StreamRange::kToEnd;
  const std::uint64_t middle = start + (size - start) / 2 / width * width;
  std::string window(Clamp(size - middle, 0, kHalvesCutSearch), '\0');
  file.ReadAt(middle, window.data(), window.size());
  const std::size_t after = EndOfFirstLineEnd(window, encoding);
  if (after == std::string_view::npos) return StreamRange::kToEnd;
  const std::uint64_t cut = middle + after;
  return cut < size ? cut : StreamRange::kToEnd;
}

// Step 1: every line of `file` to its partition, each lane scattering one
// half of the file to partition files of its own when there are two.
Scattered ScatterLines(platform::InputFile& file, Encoding encoding, const Plan& plan,
                       const std::string& folder, const BytesDone& reading) {
  Scattered scattered;
  const std::uint64_t cut = plan.threads > 1 ? HalfwayCut(file, encoding) : StreamRange::kToEnd;
  scattered.parts.resize(cut == StreamRange::kToEnd ? 1 : 2);
  for (ScatteredPart& part : scattered.parts) {
    for (std::size_t i = 0; i < plan.partitions; ++i) {
      part.partitions.push_back(std::make_unique<TemporaryFile>(folder));
    }
    part.long_lines = std::make_unique<TemporaryFile>(folder);
  }
  if (scattered.parts.size() == 1) {
    ScatteredPart& part = scattered.parts[0];
    Scatter scatter(part.partitions, *part.long_lines, plan.io_buffer);
    scattered.read = StreamLines(file, encoding, plan.stream, scatter, reading);
    scatter.Flush();
    return scattered;
  }
  scattered.range.cut = cut;
  const StreamRange halves[2] = {{0, cut, StreamRange::kToEnd},
                                 {cut, file.size(), StreamRange::kToEnd}};
  StreamSummary read[2];
  std::atomic<std::uint64_t> second_half_done{0};
  RunOnBothCores(2, [&](std::size_t lane, const LaneStop& stop) {
    ScatteredPart& part = scattered.parts[lane];
    Scatter scatter(part.partitions, *part.long_lines, plan.io_buffer);
    const auto done = [&](std::uint64_t bytes) {
      if (lane == 0) {
        reading(bytes + second_half_done.load());
      } else {
        second_half_done = bytes;
        stop.Check();
      }
    };
    read[lane] = StreamLines(file, encoding, plan.stream, halves[lane], scatter, done, 1);
    scatter.Flush();
  });
  scattered.parts[1].first_number = read[0].lines;
  scattered.read = JoinSummaries(read[0], read[1]);
  reading(scattered.read.bytes);
  return scattered;
}

// Step 2: every partition rid of its repeats, the lanes taking the next
// partition in turn; each partition file is closed, and its disk space
// freed, once done. Progress goes to `removing` in bytes of a file of
// `size` bytes, by the share of partition bytes done.
std::vector<std::unique_ptr<Worker>> EliminatePartitions(Scattered& scattered, const Plan& plan,
                                                         const std::string& folder,
                                                         std::uint64_t size,
                                                         const BytesDone& removing) {
  std::uint64_t total = 0;
  for (const ScatteredPart& part : scattered.parts) {
    for (const auto& file : part.partitions) total += file->size();
  }
  std::vector<std::unique_ptr<Worker>> workers;
  for (std::size_t i = 0; i < plan.threads; ++i) {
    workers.push_back(std::make_unique<Worker>(plan, folder));
  }
  std::atomic<std::size_t> next{0};
  std::atomic<std::uint64_t> done{0};
  RunOnBothCores(workers.size(), [&](std::size_t lane, const LaneStop& stop) {
    const auto checkpoint = [&](std::uint64_t bytes) {
      done += bytes;
      stop.Check();
      if (lane == 0) removing(total == 0 ? size : size * std::min(done.load(), total) / total);
    };
    for (std::size_t index = next++; index < plan.partitions; index = next++) {
      Partition partition;
      for (const ScatteredPart& part : scattered.parts) {
        partition.push_back({part.partitions[index].get(), part.first_number});
      }
      workers[lane]->Eliminate(partition, checkpoint);
      for (ScatteredPart& part : scattered.parts) part.partitions[index].reset();
    }
  });
  return workers;
}

// Step 2 for the long lines, all of them at once: there are few, as each is
// long. Equal hashes are confirmed by reading both lines from the file.
void EliminateLongLines(platform::InputFile& file, const Scattered& scattered, Worker& worker) {
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::vector<std::uint64_t>> first_offsets;
  const std::uint64_t begin = worker.repeats().Start();
  for (const ScatteredPart& part : scattered.parts) {
    SpillReader in(*part.long_lines, 0, part.long_lines->size(), 4096);
    LongLine line{};
    while (in.GetValue(line)) {
      auto& earlier = first_offsets[{line.hash, line.length}];
      const bool repeat = std::any_of(earlier.begin(), earlier.end(), [&](std::uint64_t offset) {
        return SameBytes(file, offset, line.offset, line.length);
      });
      if (repeat) {
        worker.Repeat(part.first_number + line.number);
      } else {
        earlier.push_back(line.offset);
      }
    }
  }
  worker.EndList(begin);
}

}  // namespace

struct BoundedRemoval::State {
  platform::InputFile file;
  Encoding encoding;
  Plan plan;
  StreamRange range;
  StreamSummary read;
  std::vector<std::unique_ptr<TemporaryFile>> repeat_files;
  std::vector<Segment> segments;
};

BoundedRemoval::BoundedRemoval(platform::InputFile file, Encoding encoding, std::uint64_t budget,
                               const std::string& temporary_folder, const BytesDone& reading,
                               const BytesDone& removing)
    : state_(std::make_unique<State>(State{std::move(file), encoding, {}, {}, {}, {}, {}})) {
  State& state = *state_;
  const std::uint64_t size = state.file.size();
  state.plan = MakePlan(size, budget);
  Scattered scattered = ScatterLines(state.file, encoding, state.plan, temporary_folder, reading);
  state.read = scattered.read;
  state.range = scattered.range;
  const auto workers = EliminatePartitions(scattered, state.plan, temporary_folder, size, removing);
  EliminateLongLines(state.file, scattered, *workers[0]);
  removing(size);
  for (const auto& worker : workers) {
    repeat_count_ += worker->repeat_count();
    state.segments.insert(state.segments.end(), worker->segments().begin(),
                          worker->segments().end());
    state.repeat_files.push_back(std::move(worker->repeat_file()));
  }
}

BoundedRemoval::BoundedRemoval(BoundedRemoval&&) noexcept = default;
BoundedRemoval::~BoundedRemoval() = default;

std::uint64_t BoundedRemoval::size() const { return state_->file.size(); }

void BoundedRemoval::WriteSurvivors(const std::string& output_path, const BytesDone& writing) {
  State& state = *state_;
  const std::size_t buffer =
      Clamp(state.plan.later_share / 2 / std::max<std::size_t>(1, state.segments.size()), 512,
            std::uint64_t{64} << 10);
  RepeatBitmap repeats(state.segments, buffer);
  SurvivorWriter out(output_path, state.encoding);
  Survivors survivors(repeats, out);
  const StreamSummary written = StreamLines(state.file, state.encoding, state.plan.stream,
                                            state.range, survivors, writing, LaneCount());
  state.file.CheckUnchanged();
  if (written.bytes != state.read.bytes || written.lines != state.read.lines ||
      written.digest != state.read.digest) {
    throw platform::Error(platform::os_messages::kCannotRead, state.file.path(),
                          platform::os_messages::kFileChanged);
  }
  out.Commit();
}

}  // namespace velloran::dedupe
