#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velloran::platform {

// A file opened for reading from start to end, once or several times. Only
// a regular file is accepted: a FIFO, a device, a socket or a folder is
// refused at once with an Error, before anything could block or grow without
// end. Paths are UTF-8. Every failure throws Error naming the file.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  InputFile(InputFile&&) noexcept;
  InputFile& operator=(InputFile&&) noexcept;
  ~InputFile();

  const std::string& path() const;

  // The size the system reported when the file was opened. Some files (those
  // under /proc) report 0 and still have content: read them to their end.
  std::uint64_t size() const;

  // Reads up to `size` bytes at the current position and moves past them;
  // fills the whole `size` unless the end comes first. Returns the count, 0
  // at the end.
  std::size_t Read(char* data, std::size_t size);

  // Reads `size` bytes at `offset` without moving the current position.
  // Throws Error when the file ends before.
  void ReadAt(std::uint64_t offset, char* data, std::size_t size);

  // Goes back to the start for another pass.
  void Rewind();

  // Throws Error when the file's size or time of last change differ from
  // what they were when it was opened: another program changed it meanwhile.
  void CheckUnchanged() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velloran::platform
