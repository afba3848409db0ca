#pragma once

// Work shared by the processor's cores: this machine's home has two, so at
// most two lanes run at once. Lane 0 runs on the calling thread, which alone
// reports progress and notices a stop; lane 1 runs on a thread of its own.
// A failure or a stop in either lane ends the other at its next check and is
// thrown again, once both have ended, by the call that started them.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

namespace velloran::dedupe {

// Tells a lane that the other one has failed, so its work is in vain.
class LaneStop {
 public:
  // Throws (an exception RunOnBothCores swallows) once the other lane has
  // failed; lanes call it between pieces of their work.
  void Check() const;
  void Raise() { raised_.store(true, std::memory_order_relaxed); }

 private:
  std::atomic<bool> raised_{false};
};

// How many lanes RunOnBothCores runs at once here: 2, or 1 on a machine
// with one core.
std::size_t LaneCount();

// Calls `work(lane, stop)` for lanes 0 and 1 (only lane 0 on a machine with
// one core, where `lanes` is 1), each lane on its own core. When a thread
// cannot be started, its lane runs after lane 0 on the calling thread, so
// every lane's work is always done. Rethrows the first failure of any lane.
void RunOnBothCores(std::size_t lanes,
                    const std::function<void(std::size_t lane, const LaneStop& stop)>& work);

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
