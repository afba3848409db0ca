#pragma once

// Removing repeats from a file larger than the memory budget, with memory
// that stays about the budget whatever the file's size:
//  1. The file is read once, and every non-empty line goes with its number
//     to one of several partition files chosen by its hash, so equal lines
//     always meet in the same partition. Lines too long to hold go to one
//     more list as their place in the file and their hash. With two cores,
//     each scatters one half of the file, cut at a line end, to files of
//     its own; a partition is then its file from each half, in order.
//  2. Each partition is rid of its repeats in line order (both cores work,
//     one partition each): a first share is loaded and its repeats found
//     with the repeat table; the rest is compared against its survivors in
//     shares, and what is still new goes to a further round. Equal hashes
//     are always confirmed by comparing the bytes; long lines are compared
//     by reading both from the file. The line numbers of repeats go to
//     ascending lists.
//  3. Writing reads the file once more and skips the numbered repeats, so
//     the output is byte for byte what the in-memory path writes.
// Temporary files have no name and vanish with the process.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dedupe/item_file.h"
#include "dedupe/text_format.h"
#include "platform/input_file.h"
#include "platform/temporary_file.h"

namespace velloran::dedupe {

class BoundedRemoval {
 public:
  // Steps 1 and 2: `reading` and `removing` are told the bytes of the file
  // done so far (each may throw to stop).
  BoundedRemoval(platform::InputFile file, Encoding encoding, std::uint64_t budget,
                 const std::string& temporary_folder, const BytesDone& reading,
                 const BytesDone& removing);
  BoundedRemoval(BoundedRemoval&&) noexcept;
  ~BoundedRemoval();

  bool found_repeats() const { return repeat_count_ > 0; }
  std::uint64_t size() const;

  // Step 3. Throws platform::Error when the file changed since step 1; the
  // target is then left as it was.
  void WriteSurvivors(const std::string& output_path, const BytesDone& writing);

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::uint64_t repeat_count_ = 0;
};

}  // namespace velloran::dedupe
