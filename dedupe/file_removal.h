#pragma once

// One file's way through the removal: read and rid of its repeats first,
// written later, once the user has named the output. This is what the
// removal run and the benchmark driver call.

#include <memory>
#include <string>

#include "platform/progress.h"

namespace velloran::dedupe {

class ItemFile;

class FileRemoval {
 public:
  // Reads the file at `path` and blanks every line that repeats an earlier
  // one. Throws platform::Error (naming the file) on failure and
  // platform::Stopped when `progress` asks to stop.
  static FileRemoval FindRepeats(const std::string& path, platform::Progress& progress);

  FileRemoval(FileRemoval&&) noexcept;
  FileRemoval& operator=(FileRemoval&&) noexcept;
  ~FileRemoval();

  // Whether any line was blanked; without repeats nothing is to be written.
  bool found_repeats() const { return found_repeats_; }

  // Writes the surviving lines to `output_path`, which is replaced only once
  // they are all written (it may be the source itself). Throws
  // platform::Error on failure and platform::Stopped when `progress` asks to
  // stop; either way the file at `output_path` is left as it was.
  void WriteSurvivors(const std::string& output_path, platform::Progress& progress) const;

 private:
  explicit FileRemoval(std::unique_ptr<ItemFile> file);

  std::unique_ptr<ItemFile> file_;
  bool found_repeats_ = false;
};

}  // namespace velloran::dedupe
