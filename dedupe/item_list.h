#pragma once

// The array of one file's items: a vector of views whose storage, once it is
// large, comes straight from the system in large pages. A file of millions
// of lines needs tens of megabytes of views, and first touching them in
// 4 KiB pages would cost more than finding the repeats.

#include <cstddef>
#include <new>
#include <string_view>
#include <vector>

#include "platform/memory.h"

namespace velloran::dedupe {

template <class T>
class LargeArrayAllocator {
 public:
  using value_type = T;

  LargeArrayAllocator() = default;
  template <class U>
  LargeArrayAllocator(const LargeArrayAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = count * sizeof(T);
    if (bytes < kLarge) return static_cast<T*>(::operator new(bytes));
    return static_cast<T*>(platform::AllocateLargeArray(bytes));
  }

  void deallocate(T* data, std::size_t count) noexcept {
    const std::size_t bytes = count * sizeof(T);
    if (bytes < kLarge) {
      ::operator delete(data);
    } else {
      platform::FreeLargeArray(data, bytes);
    }
  }

  template <class U>
  bool operator==(const LargeArrayAllocator<U>&) const noexcept {
    return true;
  }

 private:
  static constexpr std::size_t kLarge = std::size_t{1} << 20;
};

using ItemList = std::vector<std::string_view, LargeArrayAllocator<std::string_view>>;

}  // namespace velloran::dedupe
