#pragma once

// The Windows side of AtomicFileWriter (platform/files.h), with the system
// calls it makes handed in.

#include <string>
#include <string_view>

#include "platform/os/win32/file_calls.h"
#include "platform/os/win32/paths_and_handles.h"

namespace velloran::platform::win32 {

// Writes a new content for a file and puts it in the file's place only
// once it is complete. The content goes to a temporary file beside the
// target, marked for deletion until it is complete, so that a process that
// dies leaves nothing; Commit flushes it and, for an existing target, puts
// it in place with ReplaceFileW, which keeps the target's security
// descriptor, attributes and streams, or, for a new one, with MoveFileExW.
// Paths may be longer than MAX_PATH. A read-only target, a folder and a
// device are refused. Destroyed without Commit, or after a failure, it
// leaves the target as it was and nothing beside it.
class FileReplacer {
 public:
  explicit FileReplacer(const std::string& target_path, const FileCalls& calls = SystemFileCalls());
  FileReplacer(const FileReplacer&) = delete;
  FileReplacer& operator=(const FileReplacer&) = delete;
  ~FileReplacer();

  void Write(std::string_view bytes);
  void Commit();

 private:
  void CreateTemporaryFile();
  void PutInPlace();

  const FileCalls& calls_;
  std::string shown_path_;  // the path as the caller named it
  std::wstring target_;
  std::wstring folder_;
  std::wstring name_;
  bool exists_ = false;
  DWORD attributes_ = 0;  // the existing target's
  std::wstring temp_;
  UniqueHandle file_;
  bool marked_for_deletion_ = false;
  bool temp_gone_ = false;  // moved into place, or kept for the user
};

}  // namespace velloran::platform::win32
