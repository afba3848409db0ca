#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velloran::platform {

// The folder for temporary data of work on `source_path`: the system's
// temporary folder, or the source's own folder when that has more free room.
std::string TemporaryFolderFor(const std::string& source_path);

// Bytes free for an ordinary user in `folder`; 0 when it cannot be told.
std::uint64_t FreeSpace(const std::string& folder);

// A file of temporary data in a folder: readable by its owner only, without
// a name others could open, and gone from the disk when it is destroyed or
// when the process ends in any way (even when it is killed). Written at its
// end, read anywhere (also from several threads at once). Every failure
// throws Error naming the folder; a full disk says so.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& folder);
  TemporaryFile(TemporaryFile&&) noexcept;
  TemporaryFile& operator=(TemporaryFile&&) noexcept;
  ~TemporaryFile();

  void Write(std::string_view bytes);
  // Bytes written so far.
  std::uint64_t size() const;

  // Reads up to `size` bytes at `offset`; fills all of them unless the end
  // comes first. Returns the count.
  std::size_t ReadAt(std::uint64_t offset, char* data, std::size_t size) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velloran::platform
