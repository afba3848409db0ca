#include "dedupe/memory_budget.h"

#include <algorithm>
#include "dedupe/item_list.h"
#include "dedupe/repeat_table.h"
#include "platform/memory.h"

namespace velloran::dedupe {
namespace {

// When the machine does not tell its memory.
constexpr std::uint64_t kFallbackBudget = std::uint64_t{512} << 20;
// The budget never goes below this, so the bounded path has room to work.
constexpr std::uint64_t kSmallestBudget = std::uint64_t{16} << 20;

}  // namespace

std::uint64_t DefaultMemoryBudget() {
  const std::uint64_t physical = platform::PhysicalMemory();
  std::uint64_t budget = physical == 0 ? kFallbackBudget : physical / 2;
  if constexpr (sizeof(void*) < 8) {
    budget = std::min(budget, platform::FreeAddressSpaceNow().largest / 2);
  }
  return std::max(budget, kSmallestBudget);
}

std::uint64_t InMemoryCost(std::uint64_t bytes, std::uint64_t lines) {
  return bytes + lines * ItemList::kBytesPerItem +
         repeat_table::SlotsFor(lines) * sizeof(repeat_table::Slot);
}

}  // namespace velloran::dedupe
