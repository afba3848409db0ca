#pragma once

#include <cstddef>
#include <cstdint>

namespace velloran::platform {

// Memory for a large array, straight from the system: zero-filled, aligned
// for large pages and backed by them where the system offers them
// (transparent huge pages on Linux), so that first touching it costs a few
// page faults instead of one per 4 KiB. Throws std::bad_alloc. Free it with
// FreeLargeArray and the same size.
void* AllocateLargeArray(std::size_t bytes);
void FreeLargeArray(void* data, std::size_t bytes) noexcept;

// Makes the pages of [data, data + bytes), part of a large array, resident
// now without changing what they hold, so that first touching them later
// costs no page fault: another thread can take that cost off the one that
// will use them. Does nothing where the system has no such call.
void PrefaultPages(void* data, std::size_t bytes) noexcept;

// The machine's physical memory in bytes; 0 when it cannot be told.
std::uint64_t PhysicalMemory();

// The address space this process has left for new memory: the sum of its
// free ranges and the largest of them. A 64-bit process reports the
// physical memory for both, as its address space is far larger.
struct FreeAddressSpace {
  std::uint64_t total = 0;
  std::uint64_t largest = 0;
};
FreeAddressSpace FreeAddressSpaceNow();

}  // namespace velloran::platform
