#pragma once

// What the fuzz targets share: a check that ends the run, with the input
// saved by the fuzzer, when a property does not hold.

#include <cstdio>
#include <cstdlib>

namespace velloran::fuzz {

inline void Check(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", property);
  std::abort();
}

}  // namespace velloran::fuzz
