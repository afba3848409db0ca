// Large arrays on Windows: committed, zero-filled pages from VirtualAlloc.
// Large pages need a privilege that ordinary users lack, so these are
// ordinary pages.
#include <new>

#include "platform/memory.h"
#include "platform/os/win32/win32_api.h"

namespace velloran::platform {

void* AllocateLargeArray(std::size_t bytes) {
  void* data =
      VirtualAlloc(nullptr, bytes == 0 ? 1 : bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (data == nullptr) throw std::bad_alloc();
  return data;
}

// Windows lets a program fault pages in ahead only by locking them, which an
// ordinary working set allows for a few pages: their first touch pays.
void PrefaultPages(void*, std::size_t) noexcept {}

void FreeLargeArray(void* data, std::size_t) noexcept {
  if (data != nullptr) VirtualFree(data, 0, MEM_RELEASE);
}

}  // namespace velloran::platform
