#include "platform/files.h"

#include <utility>

namespace velloran::platform {

// A file's buffer is large-array memory; each system's file layer provides
// AllocateLargeArray and FreeLargeArray.

FileBuffer::FileBuffer(FileBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

FileBuffer& FileBuffer::operator=(FileBuffer&& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
  return *this;
}

FileBuffer::~FileBuffer() { FreeLargeArray(data_, capacity_); }

}  // namespace velloran::platform
