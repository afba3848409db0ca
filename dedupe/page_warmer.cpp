#include "dedupe/page_warmer.h"

#include <algorithm>

#include "platform/memory.h"

namespace velloran::dedupe {
namespace {

// Pages are faulted in this many bytes at a time, so the warming thread
// notices soon when it is no longer needed.
constexpr std::size_t kWarmChunk = std::size_t{2} << 20;

}  // namespace

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
