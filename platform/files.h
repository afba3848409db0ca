#pragma once

#include <cstddef>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

namespace velloran::platform {

// Paths are UTF-8 everywhere; the Windows implementation converts them to
// UTF-16 for the system calls. Every failure throws Error.

// A whole file's contents, read with one read into one buffer. Large buffers
// are backed by large pages where the system offers them.
class FileBuffer {
 public:
  FileBuffer() = default;
  FileBuffer(FileBuffer&&) noexcept;
  FileBuffer& operator=(FileBuffer&&) noexcept;
  ~FileBuffer();

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::string_view view() const { return {data_, size_}; }

 private:
  friend FileBuffer ReadWholeFile(const std::string& path);
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

FileBuffer ReadWholeFile(const std::string& path);

// Memory for a large array, straight from the system: zero-filled, aligned
// for large pages and backed by them where the system offers them
// (transparent huge pages on Linux), so that first touching it costs a few
// page faults instead of one per 4 KiB. Throws std::bad_alloc. Free it with
// FreeLargeArray and the same size.
void* AllocateLargeArray(std::size_t bytes);
void FreeLargeArray(void* data, std::size_t bytes) noexcept;

// The date and time of the file's last change. Throws Error when it cannot be
// told: a missing file or folder, a malformed path, no access.
std::time_t FileDateTime(const std::string& path);

// Writes a file so that the target is replaced only when everything was
// written: the bytes go to a temporary file beside the target, which Commit
// flushes to disk and renames over the target. Destroyed without Commit (or
// after a failure), it removes the temporary file and leaves the target as it
// was. An existing target that may not be written is refused, as opening it
// for writing would be.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& target_path);
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  ~AtomicFileWriter();

  void Write(std::string_view bytes);
  void Commit();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velloran::platform
