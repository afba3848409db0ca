// How much memory and address space this process has, on Linux and other
// POSIX systems.
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "platform/memory.h"

namespace velloran::platform {

std::uint64_t PhysicalMemory() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
}

// A 32-bit process reads the gaps between its mappings below 4 GiB (from
// /proc/self/maps, which an emulator such as qemu-user shows for the
// emulated process too).
FreeAddressSpace FreeAddressSpaceNow() {
  if constexpr (sizeof(void*) >= 8) {
    const std::uint64_t physical = PhysicalMemory();
    return {physical, physical};
  }
  FreeAddressSpace space;
  std::FILE* maps = std::fopen("/proc/self/maps", "re");
  if (maps == nullptr) return space;
  const std::uint64_t lowest = 1 << 16;  // the first pages are never mapped
  const std::uint64_t top = std::uint64_t{1} << 32;
  std::uint64_t previous_end = lowest;
  unsigned long long begin = 0;
  unsigned long long end = 0;
  char line[512];
  while (std::fgets(line, sizeof line, maps) != nullptr) {
    if (std::sscanf(line, "%llx-%llx", &begin, &end) != 2) continue;
    if (begin > previous_end) {
      const std::uint64_t gap = begin - previous_end;
      space.total += gap;
      if (gap > space.largest) space.largest = gap;
    }
    if (end > previous_end) previous_end = end;
  }
  std::fclose(maps);
  if (top > previous_end) {
    // Past the last mapping (the stack, usually) nothing more can be mapped
    // on a 32-bit system, but under a 64-bit kernel the range up to 4 GiB is.
    const std::uint64_t gap = top - previous_end;
    space.total += gap;
    if (gap > space.largest) space.largest = gap;
  }
  return space;
}

}  // namespace velloran::platform
