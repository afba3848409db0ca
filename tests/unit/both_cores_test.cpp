// The two-lane runner: every lane's work done, a failure in either lane
// ends the other and comes back to the caller.
#include "dedupe/both_cores.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

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

}  // namespace
}  // namespace velloran::dedupe
