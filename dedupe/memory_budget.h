#pragma once

// How much memory one file's removal may use, and whether the fast path,
// which holds the whole file with its lines and repeat table, fits in it.

#include <cstdint>

namespace velloran::dedupe {

// The budget when none is given: half the physical memory, and in a 32-bit
// process at most half of the largest free range of its address space, so
// that every allocation the fast path makes can succeed.
std::uint64_t DefaultMemoryBudget();

// The memory the fast path needs for a file of `bytes` bytes and `lines`
// lines: the file itself, one item per line and the repeat table's slots.
std::uint64_t InMemoryCost(std::uint64_t bytes, std::uint64_t lines);

}  // namespace velloran::dedupe
