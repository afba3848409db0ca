// How much memory and address space this process has, on Windows.
#include <cstdint>

#include "platform/memory.h"
#include "platform/os/win32/win32_api.h"

namespace velloran::platform {

std::uint64_t PhysicalMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return status.ullTotalPhys;
}

// Walks the free regions of the user address space (2, 3 or 4 GiB for a
// 32-bit process, depending on the system and the large-address flag).
FreeAddressSpace FreeAddressSpaceNow() {
  if constexpr (sizeof(void*) >= 8) {
    const std::uint64_t physical = PhysicalMemory();
    return {physical, physical};
  }
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  FreeAddressSpace space;
  auto* address = static_cast<char*>(system.lpMinimumApplicationAddress);
  auto* const end = static_cast<char*>(system.lpMaximumApplicationAddress);
  MEMORY_BASIC_INFORMATION region{};
  while (address < end && VirtualQuery(address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_FREE) {
      space.total += region.RegionSize;
      if (region.RegionSize > space.largest) space.largest = region.RegionSize;
    }
    address = static_cast<char*>(region.BaseAddress) + region.RegionSize;
  }
  return space;
}

}  // namespace velloran::platform
