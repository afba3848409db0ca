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
    blocks_.push_back({static_cast<char*>(data), bytes});
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

bool PageWarmer::Wait(std::size_t index, Block& block) {
  std::unique_lock lock(mutex_);
  offered_.wait(lock, [&] { return blocks_.size() > index || finished_; });
  if (blocks_.size() <= index) return false;
  block = blocks_[index];
  return true;
}

void PageWarmer::Serve(const LaneStop& stop) {
  Block block{};
  for (std::size_t index = 0; Wait(index, block); ++index) {
    for (std::size_t end = block.bytes; end > 0;) {
      if (done_.load(std::memory_order_relaxed)) return;
      stop.Check();
      const std::size_t begin = end - std::min(end, kWarmChunk);
      platform::PrefaultPages(block.data + begin, end - begin);
      end = begin;
    }
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
