#pragma once

// The POSIX side of AtomicFileWriter (platform/files.h), with the system
// calls it makes handed in.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os/posix/file_calls.h"
#include "platform/os/posix/replace_target.h"
#include "platform/os/posix/replacement_file.h"

namespace velloran::platform::posix {

// Writes a new content for a file and puts it in the file's place only
// once it is complete, keeping everything else that makes the file that
// file. The content goes to a private temporary file; Commit flushes it,
// gives it the target's owner, group, mode, access control list and
// extended attributes, and renames it over the target. Where a rename
// cannot keep what the file is (it has other hard links, another owner, or
// lies in a folder that may not be written), Commit writes the content into
// the file itself instead, from a flushed copy that it keeps, and names in
// its error, should that write fail. Symbolic links are followed; anything
// but a regular file is refused. Destroyed without Commit, or after a
// failure, it leaves the target as it was and nothing beside it.
class FileReplacer {
 public:
  explicit FileReplacer(const std::string& target_path, const FileCalls& calls = SystemFileCalls());
  FileReplacer(const FileReplacer&) = delete;
  FileReplacer& operator=(const FileReplacer&) = delete;

  void Write(std::string_view bytes);
  void Commit();

 private:
  int WriteAll(int fd, std::string_view bytes);
  void StartFlushing();
  // Returns false when the rename would not keep what the file is.
  bool ReplaceByRename();
  void ReplaceInPlace();
  int CopyContent(int from, int to);

  const FileCalls& calls_;
  std::string shown_path_;  // the path as the caller named it
  ReplaceTarget target_;
  bool in_place_ = false;
  std::optional<ReplacementFile> temp_;
  std::uint64_t written_ = 0;
  std::uint64_t flush_started_ = 0;  // bytes already handed to the disk
};

}  // namespace velloran::platform::posix
