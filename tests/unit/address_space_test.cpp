// What a 32-bit process has to work with: its address space, and the memory
// budget taken from the part of it still free. A 64-bit process has far more
// than any file needs, so these run only in the 32-bit builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "dedupe/memory_budget.h"
#include "platform/memory.h"

namespace velloran {
namespace {

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
constexpr std::size_t kPiece = std::size_t{64} << 20;

// Blocks of address space taken from the system, given back at the end.
class Blocks {
 public:
  Blocks() = default;
  Blocks(const Blocks&) = delete;
  Blocks& operator=(const Blocks&) = delete;
  ~Blocks() {
    for (const Block& block : blocks_) platform::FreeLargeArray(block.data, block.size);
  }
  // Takes `size` bytes; false when the system has no such range left.
  bool Take(std::size_t size) {
    try {
      blocks_.push_back({platform::AllocateLargeArray(size), size});
    } catch (const std::bad_alloc&) {
      return false;
    }
    total_ += size;
    return true;
  }
  std::uint64_t total() const { return total_; }

 private:
  struct Block {
    void* data;
    std::size_t size;
  };
  std::vector<Block> blocks_;
  std::uint64_t total_ = 0;
};

// The shipping program is large-address-aware: on a 64-bit system it has
// 4 GiB, not 2, and can take more than 2 GiB, if only in pieces.
TEST(AddressSpace, AThirtyTwoBitProcessTakesMoreThanTwoGiBInPieces) {
  if constexpr (sizeof(void*) >= 8) GTEST_SKIP() << "a 64-bit process";
  Blocks blocks;
  while (blocks.total() < 2 * kGiB + 256 * (kGiB >> 10) && blocks.Take(kPiece)) {
  }
  EXPECT_GT(blocks.total(), 2 * kGiB) << "only " << (blocks.total() >> 20) << " MiB";
}

// The budget follows the free address space the system reports: never more
// than half its largest free range, and smaller once much of it is taken.
TEST(AddressSpace, TheMemoryBudgetComesFromTheFreeAddressSpace) {
  if constexpr (sizeof(void*) >= 8) GTEST_SKIP() << "a 64-bit process";
  const platform::FreeAddressSpace before = platform::FreeAddressSpaceNow();
  const std::uint64_t budget = dedupe::DefaultMemoryBudget();
  EXPECT_LE(budget, before.largest / 2 + kPiece);
  EXPECT_LE(before.total, std::uint64_t{4} * kGiB);

  // Half of the largest free range taken: what is reported and the budget
  // shrink with it.
  Blocks blocks;
  ASSERT_TRUE(blocks.Take(static_cast<std::size_t>(before.largest / 2)));
  const platform::FreeAddressSpace after = platform::FreeAddressSpaceNow();
  EXPECT_LE(after.total + before.largest / 2, before.total + kPiece);
  const std::uint64_t smaller = dedupe::DefaultMemoryBudget();
  EXPECT_LE(smaller, std::max(after.largest / 2, std::uint64_t{16} << 20));
  // Unless half the physical memory was the smaller limit all along.
  if (budget + kPiece >= before.largest / 2) {
    EXPECT_LT(smaller, budget);
  }
}

}  // namespace
}  // namespace velloran
