// Fuzz target: the elimination of repeats against the plain pairwise way.
// The input's parts between LF bytes are the items; the fuzzer's mutations
// make repeats among them often.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "dedupe/eliminate.h"
#include "tests/fuzz/fuzz_check.h"

namespace velloran::fuzz {
namespace {

std::vector<std::string_view> Items(std::string_view text) {
  std::vector<std::string_view> items;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    items.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return items;
}

// Each item compared with every earlier one: a repeat is blanked, empty
// items are no repeats, and without any repeat item 0 gets the marker.
std::vector<std::string_view> Eliminated(std::vector<std::string_view> items,
                                         std::string_view marker, bool& found) {
  const std::vector<std::string_view> original = items;
  found = false;
  for (std::size_t i = 0; i < original.size(); ++i) {
    if (original[i].empty()) continue;
    for (std::size_t j = 0; j < i; ++j) {
      if (original[j] != original[i]) continue;
      items[i] = {};
      found = true;
      break;
    }
  }
  if (!found && !items.empty()) items[0] = marker;
  return items;
}

}  // namespace
}  // namespace velloran::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran::fuzz;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> items = Items(text);
  bool expected_found = false;
  const std::vector<std::string_view> expected =
      Eliminated(items, velloran::dedupe::kNone911, expected_found);

  const bool found = velloran::dedupe::EliminateDuplicates(items);
  Check(found == expected_found, "repeats found as the pairwise way finds them");
  Check(items.size() == expected.size(), "no item added or taken away");
  for (std::size_t i = 0; i < items.size(); ++i) {
    Check(items[i] == expected[i], "the same items blanked as the pairwise way blanks");
    // A kept item stays the very view it was.
    Check(items[i].empty() || i == 0 || items[i].data() == expected[i].data(),
          "kept items stay in place");
  }
  return 0;
}
