#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/input_file.h"
#include "platform/memory.h"
#include "platform/os_messages.h"

namespace velloran::platform {
namespace {

// Blocks between progress reports and stop checks.
constexpr std::size_t kReadBlock = std::size_t{8} << 20;
// Starting room for files that report no size.
constexpr std::size_t kUnsizedStart = std::size_t{64} << 10;

using os_messages::kCannotRead;

// Reads blocks until `buffer` is full or the file ends; returns whether it
// ended.
bool Fill(InputFile& file, FileBuffer& buffer,
          const std::function<void(std::uint64_t)>& block_done) {
  while (buffer.unfilled_size() > 0) {
    const std::size_t want = std::min(buffer.unfilled_size(), kReadBlock);
    const std::size_t got = file.Read(buffer.unfilled(), want);
    buffer.MarkFilled(got);
    block_done(buffer.size());
    if (got < want) return true;
  }
  return false;
}

}  // namespace

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

FileBuffer ReadToEnd(InputFile& file, std::size_t limit,
                     const std::function<void(std::uint64_t)>& block_done,
                     const std::function<void(char*, std::size_t)>& room) {
  const std::uint64_t reported = file.size();
  if (reported > limit) throw Error(kCannotRead, file.path(), os_messages::kFileTooLarge);
  return CatchOutOfMemory(kCannotRead, file.path(), [&] {
    if (reported > 0) {
      // One byte more than reported tells a file that grew meanwhile.
      FileBuffer buffer(static_cast<std::size_t>(reported) + 1);
      room(buffer.unfilled(), buffer.unfilled_size());
      Fill(file, buffer, block_done);
      if (buffer.size() != reported) {
        throw Error(kCannotRead, file.path(), os_messages::kFileChanged);
      }
      return buffer;
    }
    // A file that reports no size is read to its end, doubling the room.
    FileBuffer buffer(std::min(kUnsizedStart, limit + 1));
    while (!Fill(file, buffer, block_done)) {
      if (buffer.capacity() > limit) {
        throw Error(kCannotRead, file.path(), os_messages::kFileTooLarge);
      }
      FileBuffer larger(std::min(buffer.capacity() * 2, limit + 1));
      std::memcpy(larger.unfilled(), buffer.data(), buffer.size());
      larger.MarkFilled(buffer.size());
      buffer = std::move(larger);
    }
    return buffer;
  });
}

FileBuffer ReadWholeFile(const std::string& path) {
  InputFile file(path);
  return ReadToEnd(file, static_cast<std::size_t>(-1) / 2, [](std::uint64_t) {});
}

}  // namespace velloran::platform
