#include "dedupe/both_cores.h"

#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace velloran::dedupe {
namespace {

// Thrown by LaneStop::Check in the lane that did not fail.
struct Abandoned {};

// The first failure of any lane, kept to be thrown again.
class FirstFailure {
 public:
  void Keep(std::exception_ptr failure) {
    const std::lock_guard lock(mutex_);
    if (!first_) first_ = std::move(failure);
  }
  void ThrowIfAny() const {
    if (first_) std::rethrow_exception(first_);
  }

 private:
  std::mutex mutex_;
  std::exception_ptr first_;
};

}  // namespace

// Lane 1 runs on a thread of its own and lane 0 on this one.
bool RunBothCoresTogether(const std::function<void(std::size_t lane, const LaneStop& stop)>& work) {
  LaneStop stop;
  FirstFailure failure;
  auto run = [&](std::size_t lane) {
    try {
      work(lane, stop);
    } catch (const Abandoned&) {
    } catch (...) {
      failure.Keep(std::current_exception());
      stop.Raise();
    }
  };
  std::thread helper;
  try {
    helper = std::thread(run, std::size_t{1});
  } catch (const std::system_error&) {
    return false;
  }
  run(0);
  helper.join();
  failure.ThrowIfAny();
  return true;
}

void LaneStop::Check() const {
  if (raised_.load(std::memory_order_relaxed)) throw Abandoned{};
}

std::size_t LaneCount() { return std::thread::hardware_concurrency() >= 2 ? 2 : 1; }

void RunOnBothCores(std::size_t lanes,
                    const std::function<void(std::size_t lane, const LaneStop& stop)>& work) {
  if (lanes > 1 && RunBothCoresTogether(work)) return;
  const LaneStop stop;
  for (std::size_t lane = 0; lane < lanes; ++lane) work(lane, stop);
}

}  // namespace velloran::dedupe
