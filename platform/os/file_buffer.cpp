#include <utility>

#include "platform/files.h"
#include "platform/memory.h"

namespace velloran::platform {

FileBuffer::FileBuffer(std::size_t capacity)
    : data_(static_cast<char*>(AllocateLargeArray(capacity))), capacity_(capacity) {}

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

FileBuffer::~FileBuffer() {
  if (data_ != nullptr) FreeLargeArray(data_, capacity_);
}

}  // namespace velloran::platform
