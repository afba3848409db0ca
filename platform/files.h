#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velloran::platform {

// Paths are UTF-8 everywhere; the Windows implementation converts them to
// UTF-16 for the system calls. Every failure throws Error.

// A whole file's contents, read with one read into one buffer of large-array
// memory (platform/memory.h).
class FileBuffer {
 public:
  FileBuffer() = default;
  // Room for `capacity` bytes, none of them filled yet. Throws std::bad_alloc.
  explicit FileBuffer(std::size_t capacity);
  FileBuffer(FileBuffer&&) noexcept;
  FileBuffer& operator=(FileBuffer&&) noexcept;
  ~FileBuffer();

  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  std::string_view view() const { return {data_, size_}; }

  // Filling: bytes go to unfilled() and are then counted by MarkFilled.
  char* unfilled() { return data_ + size_; }
  std::size_t unfilled_size() const { return capacity_ - size_; }
  void MarkFilled(std::size_t bytes) { size_ += bytes; }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

class InputFile;

// Reads `file` from its current position to its end into one buffer, in
// blocks, calling `block_done(bytes read so far)` after each (it may throw
// to stop). A file that grows past or ends short of the size it reported
// when opened (unless that was 0) has changed meanwhile: Error. More than
// `limit` bytes: Error. Memory that runs out: Error naming the file. When
// the file reported its size, `room(data, bytes)` is told the buffer before
// any byte is read into it, so that another thread can fault its pages in
// meanwhile (platform/memory.h).
FileBuffer ReadToEnd(
    InputFile& file, std::size_t limit, const std::function<void(std::uint64_t)>& block_done,
    const std::function<void(char*, std::size_t)>& room = [](char*, std::size_t) {});

// The whole file at `path`, as ReadToEnd reads it.
FileBuffer ReadWholeFile(const std::string& path);

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
