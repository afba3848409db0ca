#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

#include "dedupe/both_cores.h"

namespace velloran::dedupe {

// Fresh memory costs a page fault at its first touch, which the kernel
// spends clearing the page: for a file read into memory, more than the
// finding of repeats. A PageWarmer lets the other core take those faults,
// for each block of memory offered in turn, from its end backward, while
// this one works: on the first block from its start, or on something else.
class PageWarmer {
 public:
  // Called by the working thread; blocks are warmed in the order offered.
  void Offer(void* data, std::size_t bytes);

 private:
  friend void WithPagesWarmed(const std::function<void(PageWarmer&)>& work);
  struct Block {
    char* data;
    std::size_t bytes;
  };
  void Finish();
  void Serve(const LaneStop& stop);
  // Waits for block `index`; false once the work has ended without it.
  bool Wait(std::size_t index, Block& block);

  std::mutex mutex_;
  std::condition_variable offered_;
  std::vector<Block> blocks_;
  bool finished_ = false;
  std::atomic<bool> done_{false};
};

// Calls `work(warmer)` on this thread while the other core, if there is
// one, faults in the pages of the memory `work` offers the warmer. Failures
// and stops come back as from RunOnBothCores.
void WithPagesWarmed(const std::function<void(PageWarmer&)>& work);

}  // namespace velloran::dedupe
