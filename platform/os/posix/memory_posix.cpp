// Large arrays on Linux and other POSIX systems: anonymous mappings, aligned
// to and advised for transparent huge pages once they are big enough.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

#include "platform/memory.h"

namespace velloran::platform {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t value, std::size_t multiple) {
  return (value + multiple - 1) / multiple * multiple;
}

// Large arrays are mapped in whole large pages once they are this big.
std::size_t MappedLength(std::size_t bytes) {
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return RoundUp(bytes == 0 ? 1 : bytes, bytes >= kHugePage ? kHugePage : page);
}

}  // namespace

// The mapping is aligned to a large page when it is big enough to use them,
// so every large page inside it can be one.
void* AllocateLargeArray(std::size_t bytes) {
  if (bytes > SIZE_MAX - 2 * kHugePage) throw std::bad_alloc();
  const std::size_t length = MappedLength(bytes);
  const bool huge = length >= kHugePage;
  const std::size_t reserve = huge ? length + kHugePage : length;
  void* mapped =
      ::mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  char* start = static_cast<char*>(mapped);
  if (!huge) return start;
  const auto address = reinterpret_cast<std::uintptr_t>(start);
  char* aligned = start + (RoundUp(address, kHugePage) - address);
  if (aligned != start) ::munmap(start, static_cast<std::size_t>(aligned - start));
  char* end = start + reserve;
  if (aligned + length != end) {
    ::munmap(aligned + length, static_cast<std::size_t>(end - (aligned + length)));
  }
#ifdef MADV_HUGEPAGE
  ::madvise(aligned, length, MADV_HUGEPAGE);
#endif
  return aligned;
}

// The kernel fills in the page tables, as a write would, but writes nothing.
// Kernels before 5.14 refuse the advice, which is then just not taken.
void PrefaultPages(void* data, std::size_t bytes) noexcept {
#ifdef MADV_POPULATE_WRITE
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  // madvise takes a page-aligned start: skip to the first whole page.
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::size_t skip = RoundUp(begin, page) - begin;
  if (skip >= bytes) return;
  ::madvise(static_cast<char*>(data) + skip, bytes - skip, MADV_POPULATE_WRITE);
#else
  (void)data;
  (void)bytes;
#endif
}

void FreeLargeArray(void* data, std::size_t bytes) noexcept {
  if (data != nullptr) ::munmap(data, MappedLength(bytes));
}

}  // namespace velloran::platform
