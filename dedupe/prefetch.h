#pragma once

// Asking the processor for memory ahead of its use, so that the wait for it
// overlaps other work. A prefetch never faults, whatever the address, and
// changes no result: only when the bytes arrive.

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#define VELLORAN_X86_PREFETCH 1
#endif

#include <cstddef>

namespace velloran::dedupe {

// Bytes the processor fetches at a time.
inline constexpr std::size_t kCacheLine = 64;

// For reading soon.
inline void PrefetchForReading(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(address);
#else
  (void)address;
#endif
}

#ifdef VELLORAN_X86_PREFETCH
namespace prefetch {

// Whether the processor has PREFETCHW, which fetches a line ready to be
// written; older ones would not know the instruction.
inline bool ProcessorHasPrefetchW() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx) != 0 && (ecx & (1u << 8)) != 0;
}

inline const bool kHasPrefetchW = ProcessorHasPrefetchW();

}  // namespace prefetch
#endif

// For writing soon. Where the line was last held by the other core, a plain
// prefetch leaves it shared, and the write still waits for the other core
// to give it up; PREFETCHW takes it over ahead.
inline void PrefetchForWriting(const void* address) {
#ifdef VELLORAN_X86_PREFETCH
  if (prefetch::kHasPrefetchW) {
    __asm__ volatile("prefetchw %0" : : "m"(*static_cast<const char*>(address)));
    return;
  }
#endif
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(address, 1);
#else
  (void)address;
#endif
}

}  // namespace velloran::dedupe
