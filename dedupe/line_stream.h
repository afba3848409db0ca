#pragma once

// Reads a file block by block and hands on its lines, numbered from 0 in
// file order, exactly as SplitLines would split the whole file at once:
// the same line ends, across block boundaries too, and the same stray bytes
// at the end. A line longer than a limit is handed on in pieces, so no line
// needs more memory than that limit.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "dedupe/text_format.h"
#include "platform/input_file.h"

namespace velloran::dedupe {

class LineSink {
 public:
  virtual ~LineSink() = default;
  // A line of at most the limit's length, without its line end (may be
  // empty).
  virtual void Line(std::uint64_t number, std::string_view line) = 0;
  // A sink that hashes every line says so, and then gets the lines with
  // their HashLine instead, computed ahead on the core that reads.
  virtual bool WantsLineHashes() const { return false; }
  virtual void HashedLine(std::uint64_t number, std::string_view line, std::uint64_t hash) {
    (void)hash;
    Line(number, line);
  }
  // A longer line: its start (`offset` in bytes from the start of the
  // file), its bytes in pieces, and its end with its whole length.
  virtual void LongLineStart(std::uint64_t number, std::uint64_t offset) = 0;
  virtual void LongLinePiece(std::string_view piece) = 0;
  virtual void LongLineEnd(std::uint64_t length) = 0;
};

struct StreamSizes {
  std::size_t block = std::size_t{4} << 20;      // bytes per read, a multiple of 4
  std::size_t long_line = std::size_t{1} << 20;  // longer lines come in pieces
};

// What one pass saw, to tell whether a later pass read the same file.
struct StreamSummary {
  std::uint64_t bytes = 0;
  std::uint64_t lines = 0;
  std::uint64_t digest = 0;  // of every byte, in order
};

// Where a pass reads: from `begin`, where a line starts (0, the file's
// start, skips its byte order mark), to `end`, or to wherever the file
// ends when `end` is kToEnd (and then `begin` is 0); a pass with an end
// reads at its own offsets, so two can read one file at once. No read
// crosses `cut`, where the digest starts over: a pass over [begin, cut)
// and one from `cut` on, joined, sum up like one pass over both with that
// cut.
struct StreamRange {
  static constexpr std::uint64_t kToEnd = ~std::uint64_t{0};
  std::uint64_t begin = 0;
  std::uint64_t end = kToEnd;
  std::uint64_t cut = kToEnd;
};

// What two passes over adjoining ranges saw together.
StreamSummary JoinSummaries(const StreamSummary& first, const StreamSummary& second);

// Reads `file` from its start to its end, skipping the byte order mark of
// `encoding`, and calls `sink` for each line; `done(bytes read)` after each
// block (it may throw to stop). On a machine with two cores, the other core
// reads the file and finds its lines a block ahead, while this thread calls
// `sink` and `done`; two blocks and their lines are then held at once.
StreamSummary StreamLines(platform::InputFile& file, Encoding encoding, StreamSizes sizes,
                          LineSink& sink, const std::function<void(std::uint64_t)>& done);

// The same in `lanes` lanes (1 or 2), whatever the machine has.
StreamSummary StreamLines(platform::InputFile& file, Encoding encoding, StreamSizes sizes,
                          LineSink& sink, const std::function<void(std::uint64_t)>& done,
                          std::size_t lanes);

// The same over `range` only, its lines numbered from 0; `done` is told
// the bytes of the range read so far.
StreamSummary StreamLines(platform::InputFile& file, Encoding encoding, StreamSizes sizes,
                          StreamRange range, LineSink& sink,
                          const std::function<void(std::uint64_t)>& done, std::size_t lanes);

}  // namespace velloran::dedupe
