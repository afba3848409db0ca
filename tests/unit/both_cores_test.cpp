// The two-lane runner: every lane's work done, a failure in either lane
// ends the other and comes back to the caller.
#include "dedupe/both_cores.h"
#include "dedupe/page_warmer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "platform/memory.h"

namespace velloran::dedupe {
namespace {

TEST(BothCoresTest, EveryLaneRunsOnce) {
  for (std::size_t lanes = 1; lanes <= 2; ++lanes) {
    std::atomic<int> runs[2] = {0, 0};
    RunOnBothCores(lanes, [&](std::size_t lane, const LaneStop&) { ++runs[lane]; });
    EXPECT_EQ(runs[0], 1);
    EXPECT_EQ(runs[1], lanes == 2 ? 1 : 0);
  }
}

// The failing lane throws at once; the other one works until told to stop,
// and must be told, or the test never ends.
TEST(BothCoresTest, AFailureInEitherLaneEndsTheOtherAndIsThrownToTheCaller) {
  for (std::size_t failing = 0; failing < 2; ++failing) {
    std::atomic<bool> other_stopped{false};
    const auto work = [&](std::size_t lane, const LaneStop& stop) {
      if (lane == failing) throw std::runtime_error("lane " + std::to_string(lane));
      try {
        for (;;) stop.Check();
      } catch (...) {
        other_stopped = true;
        throw;
      }
    };
    try {
      RunOnBothCores(2, work);
      ADD_FAILURE() << "no failure came back";
    } catch (const std::runtime_error& failure) {
      EXPECT_EQ(std::string(failure.what()), "lane " + std::to_string(failing));
    }
    EXPECT_TRUE(other_stopped);
  }
}

// The other core faults pages in while this one writes them: what is
// written stays, and a failure of the work still comes back.
TEST(BothCoresTest, WarmingPagesLeavesWhatIsWrittenInThem) {
  constexpr std::size_t kBytes = std::size_t{9} << 20;
  for (const bool fail : {false, true}) {
    auto* data = static_cast<unsigned char*>(platform::AllocateLargeArray(kBytes));
    const auto work = [&](PageWarmer& warmer) {
      warmer.Offer(data, kBytes);
      for (std::size_t i = 0; i < kBytes; ++i) data[i] = static_cast<unsigned char>(i * 7);
      if (fail) throw std::runtime_error("failed");
    };
    if (fail) {
      EXPECT_THROW(WithPagesWarmed(work), std::runtime_error);
    } else {
      WithPagesWarmed(work);
    }
    for (std::size_t i = 0; i < kBytes; ++i) {
      ASSERT_EQ(data[i], static_cast<unsigned char>(i * 7)) << i;
    }
    platform::FreeLargeArray(data, kBytes);
  }
}

}  // namespace
}  // namespace velloran::dedupe
