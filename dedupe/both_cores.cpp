#include "dedupe/both_cores.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/memory.h"

namespace velloran::dedupe {
namespace {

// Pages are faulted in this many bytes at a time, so the warming thread
// notices soon when it is no longer needed.
constexpr std::size_t kWarmChunk = std::size_t{2} << 20;

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

namespace velloran::dedupe {

void PageWarmer::Offer(void* data, std::size_t bytes) {
  {
    const std::lock_guard lock(mutex_);
    data_ = static_cast<char*>(data);
    bytes_ = bytes;
  }
  offered_.notify_one();
}

void PageWarmer::Finish() {
  done_.store(true, std::memory_order_relaxed);
  {
    const std::lock_guard lock(mutex_);
    finished_ = true;
  }
  offered_.notify_one();
}

void PageWarmer::Serve(const LaneStop& stop) {
  std::unique_lock lock(mutex_);
  offered_.wait(lock, [this] { return data_ != nullptr || finished_; });
  char* const data = data_;
  std::size_t end = data == nullptr ? 0 : bytes_;
  lock.unlock();
  while (end > 0 && !done_.load(std::memory_order_relaxed)) {
    stop.Check();
    const std::size_t begin = end - std::min(end, kWarmChunk);
    platform::PrefaultPages(data + begin, end - begin);
    end = begin;
  }
}

void WithPagesWarmed(const std::function<void(PageWarmer&)>& work) {
  PageWarmer warmer;
  RunOnBothCores(LaneCount(), [&](std::size_t lane, const LaneStop& stop) {
    if (lane == 1) return warmer.Serve(stop);
    try {
      work(warmer);
    } catch (...) {
      warmer.Finish();
      throw;
    }
    warmer.Finish();
  });
}

}  // namespace velloran::dedupe
