#pragma once

#include <cstddef>

namespace velloran::platform {

// Memory for a large array, straight from the system: zero-filled, aligned
// for large pages and backed by them where the system offers them
// (transparent huge pages on Linux), so that first touching it costs a few
// page faults instead of one per 4 KiB. Throws std::bad_alloc. Free it with
// FreeLargeArray and the same size.
void* AllocateLargeArray(std::size_t bytes);
void FreeLargeArray(void* data, std::size_t bytes) noexcept;

}  // namespace velloran::platform
