#pragma once

// Writes surviving lines in a file's encoding: its byte order mark first,
// then each line followed by CR LF. Both ways of removing repeats write
// through this, so their outputs agree byte for byte.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "dedupe/text_format.h"
#include "platform/files.h"

namespace velloran::dedupe {

class SurvivorWriter {
 public:
  // Starts replacing `path` (atomically: see platform::AtomicFileWriter).
  SurvivorWriter(const std::string& path, Encoding encoding);

  // One whole surviving line (not empty). A line that is a single space is
  // written as an empty line. A line that ends in bytes off the unit grid
  // (the stray end of an odd-length UTF-16 or UTF-32 file, always its last
  // line) keeps them and gets no line end, which would land off the grid.
  void PutLine(std::string_view line);

  // A surviving line too long to hold at once, in pieces: each of its
  // bytes, then its end (it is never a single space).
  void PutPiece(std::string_view piece) { Put(piece); }
  void EndLongLine(std::uint64_t length);

  // Flushes everything and replaces the target.
  void Commit();

 private:
  void Put(std::string_view bytes);
  void Flush();

  platform::AtomicFileWriter file_;
  std::size_t unit_width_;
  std::string_view line_end_;
  std::string_view space_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
};

}  // namespace velloran::dedupe
