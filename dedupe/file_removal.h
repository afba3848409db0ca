#pragma once

// One file's way through the removal: read and rid of its repeats first,
// written later, once the user has named the output. This is what the
// removal run and the benchmark driver call.
//
// A file whose lines, views and repeat table fit in the memory budget is
// held in memory whole (the fast path); a larger one takes the bounded path
// (dedupe/bounded_removal.h), which writes byte for byte the same output
// with memory of about the budget and temporary files on disk.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/progress.h"

namespace velloran::dedupe {

class ItemFile;
class BoundedRemoval;

struct RemovalOptions {
  // Bytes of memory one file's removal may use; 0 for the machine's default
  // (dedupe/memory_budget.h).
  std::uint64_t memory_budget = 0;
  // Where the bounded path keeps its temporary data; empty for the system's
  // temporary folder or the source's own, whichever has more room.
  std::string temporary_folder;
};

class FileRemoval {
 public:
  // Reads the file at `path` and blanks every line that repeats an earlier
  // one. Progress is reported in bytes of the file. Throws platform::Error
  // (naming the file) on failure, also when memory or the disk for
  // temporary data runs out, and platform::Stopped when `progress` asks to
  // stop; either way no temporary data is left.
  static FileRemoval FindRepeats(const std::string& path, platform::Progress& progress,
                                 const RemovalOptions& options = {});

  FileRemoval(FileRemoval&&) noexcept;
  FileRemoval& operator=(FileRemoval&&) noexcept;
  ~FileRemoval();

  // Whether any line was blanked; without repeats nothing is to be written.
  bool found_repeats() const { return found_repeats_; }
  // Whether the file was too large for the memory budget and took the
  // bounded path.
  bool bounded() const { return bounded_ != nullptr; }

  // Writes the surviving lines to `output_path`, which is replaced only once
  // they are all written (it may be the source itself). Throws
  // platform::Error on failure and platform::Stopped when `progress` asks to
  // stop; either way the file at `output_path` is left as it was.
  void WriteSurvivors(const std::string& output_path, platform::Progress& progress) const;

 private:
  FileRemoval();

  std::string path_;
  std::uint64_t size_ = 0;
  std::unique_ptr<ItemFile> file_;
  std::unique_ptr<BoundedRemoval> bounded_;
  bool found_repeats_ = false;
};

}  // namespace velloran::dedupe
