#pragma once

// Buffered writing and reading of temporary files, numbers in 7-bit groups,
// and the lists of repeat line numbers the bounded path keeps in them:
// ascending numbers, each stored as its distance from the one before.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "dedupe/prefetch.h"
#include "platform/temporary_file.h"

namespace velloran::dedupe {

class SpillWriter {
 public:
  SpillWriter(platform::TemporaryFile& file, std::size_t buffer_size)
      : file_(&file),
        buffer_(std::make_unique_for_overwrite<char[]>(buffer_size)),
        capacity_(buffer_size) {}
  SpillWriter(SpillWriter&&) noexcept = default;
  SpillWriter& operator=(SpillWriter&&) noexcept = default;

  void Put(std::string_view bytes) {
    if (bytes.size() > capacity_ - used_) {
      Flush();
      if (bytes.size() >= capacity_) return file_->Write(bytes);
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }
  template <class T>
  void PutValue(T value) {
    Put(std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
  }
  // Asks for the cache line after the last byte put, which the next Put
  // writes: a writer among many, its line has left the cache since.
  void PrefetchNext() const {
    PrefetchForWriting(buffer_.get() + std::min(used_ + kCacheLine, capacity_ - 1));
  }
  // Room for `size` more bytes, the buffer flushed first if need be; null
  // when the buffer cannot hold that many. Advance then takes what was put.
  char* Room(std::size_t size) {
    if (size > capacity_ - used_) {
      Flush();
      if (size > capacity_) return nullptr;
    }
    return buffer_.get() + used_;
  }
  void Advance(std::size_t size) { used_ += size; }
  void Flush() {
    if (used_ == 0) return;
    file_->Write(std::string_view(buffer_.get(), used_));
    used_ = 0;
  }
  // Bytes written, flushed or not.
  std::uint64_t size() const { return file_->size() + used_; }

 private:
  platform::TemporaryFile* file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t used_ = 0;
};

// Reads bytes [begin, end) of a temporary file in order.
class SpillReader {
 public:
  SpillReader(const platform::TemporaryFile& file, std::uint64_t begin, std::uint64_t end,
              std::size_t buffer_size)
      : file_(&file),
        position_(begin),
        end_of_range_(end),
        buffer_(std::make_unique_for_overwrite<char[]>(buffer_size)),
        capacity_(buffer_size) {}

  // Fills `data` with the next `size` bytes; false when the range ended
  // before.
  bool Get(char* data, std::size_t size) {
    while (size > 0) {
      if (next_ == end_ && !Refill()) return false;
      const std::size_t take = std::min(size, end_ - next_);
      std::memcpy(data, buffer_.get() + next_, take);
      next_ += take;
      data += take;
      size -= take;
    }
    return true;
  }
  template <class T>
  bool GetValue(T& value) {
    return Get(reinterpret_cast<char*>(&value), sizeof value);
  }
  bool GetByte(unsigned char& byte) {
    if (next_ == end_ && !Refill()) return false;
    byte = static_cast<unsigned char>(buffer_[next_++]);
    return true;
  }

 private:
  bool Refill() {
    const std::uint64_t left = end_of_range_ - position_;
    const std::size_t want = left < capacity_ ? static_cast<std::size_t>(left) : capacity_;
    next_ = 0;
    end_ = want == 0 ? 0 : file_->ReadAt(position_, buffer_.get(), want);
    position_ += end_;
    return end_ > 0;
  }

  const platform::TemporaryFile* file_;
  std::uint64_t position_;
  std::uint64_t end_of_range_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
};

// The most bytes a 64-bit number takes in 7-bit groups.
inline constexpr std::size_t kMostGroups = 10;

// Writes `value` at `at` in 7-bit groups, the lowest first, each but the
// last with its top bit set: small numbers take one byte. Returns the end.
inline char* EncodeGroups(char* at, std::uint64_t value) {
  while (value >= 0x80) {
    *at++ = static_cast<char>(value | 0x80);
    value >>= 7;
  }
  *at++ = static_cast<char>(value);
  return at;
}

// The same into `out`; returns the bytes written.
inline std::size_t PutGroups(SpillWriter& out, std::uint64_t value) {
  if (char* const room = out.Room(kMostGroups)) {
    const auto size = static_cast<std::size_t>(EncodeGroups(room, value) - room);
    out.Advance(size);
    return size;
  }
  // A buffer smaller than a number's room.
  char bytes[kMostGroups];
  const auto size = static_cast<std::size_t>(EncodeGroups(bytes, value) - bytes);
  out.Put(std::string_view(bytes, size));
  return size;
}

// Reads what EncodeGroups wrote from the `size` bytes at `bytes`. Returns
// the bytes it took; 0 when they end before the number does, and more
// than kMostGroups when the number has more groups than 64 bits need.
inline std::size_t DecodeGroups(const char* bytes, std::size_t size, std::uint64_t& value) {
  value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (i == kMostGroups) return kMostGroups + 1;
    const auto byte = static_cast<unsigned char>(bytes[i]);
    value |= std::uint64_t{byte & 0x7Fu} << (7 * i);
    if ((byte & 0x80u) == 0) return i + 1;
  }
  return 0;
}

// Reads what PutGroups wrote, adding its bytes to `bytes_read`; false when
// the range ends before the number does.
inline bool GetGroups(SpillReader& in, std::uint64_t& value, std::size_t& bytes_read) {
  value = 0;
  unsigned char byte = 0;
  for (unsigned shift = 0; shift < 64; shift += 7) {
    if (!in.GetByte(byte)) return false;
    ++bytes_read;
    value |= std::uint64_t{byte & 0x7Fu} << shift;
    if ((byte & 0x80u) == 0) return true;
  }
  return false;  // more groups than a 64-bit number has
}

// Appends lists of ascending line numbers to a temporary file, one after
// another: each list starts where Start was called.
class RepeatListWriter {
 public:
  RepeatListWriter(platform::TemporaryFile& file, std::size_t buffer_size)
      : out_(file, buffer_size) {}

  // Starts a new list; returns where it begins.
  std::uint64_t Start() {
    previous_ = 0;
    return out_.size();
  }
  // Where the list written so far ends.
  std::uint64_t end() const { return out_.size(); }

  void Add(std::uint64_t number) {
    PutGroups(out_, number - previous_);
    previous_ = number;
  }
  void Flush() { out_.Flush(); }

 private:
  SpillWriter out_;
  std::uint64_t previous_ = 0;
};

// Reads back what a RepeatListWriter wrote into bytes [begin, end).
class RepeatListReader {
 public:
  RepeatListReader(const platform::TemporaryFile& file, std::uint64_t begin, std::uint64_t end,
                   std::size_t buffer_size)
      : in_(file, begin, end, buffer_size) {}

  // The next number, or false at the end.
  bool Next(std::uint64_t& number) {
    std::uint64_t gap = 0;
    std::size_t bytes = 0;
    if (!GetGroups(in_, gap, bytes)) return false;
    previous_ += gap;
    number = previous_;
    return true;
  }

 private:
  SpillReader in_;
  std::uint64_t previous_ = 0;
};

}  // namespace velloran::dedupe
