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

void LaneStop::Check() const {
  if (raised_.load(std::memory_order_relaxed)) throw Abandoned{};
}

std::size_t LaneCount() { return std::thread::hardware_concurrency() >= 2 ? 2 : 1; }

void RunOnBothCores(std::size_t lanes,
                    const std::function<void(std::size_t lane, const LaneStop& stop)>& work) {
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
  bool helper_started = false;
  if (lanes > 1) {
    try {
      helper = std::thread(run, std::size_t{1});
      helper_started = true;
    } catch (const std::system_error&) {
    }
  }
  run(0);
  if (helper_started) helper.join();
  failure.ThrowIfAny();
  if (lanes > 1 && !helper_started) work(1, stop);
}

}  // namespace velloran::dedupe
