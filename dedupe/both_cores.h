#pragma once

// Work shared by the processor's cores: this machine's home has two, so at
// most two lanes run at once. Lane 0 runs on the calling thread, which alone
// reports progress and notices a stop; lane 1 runs on a thread of its own.
// A failure or a stop in either lane ends the other at its next check and is
// thrown again, once both have ended, by the call that started them.

#include <atomic>
#include <cstddef>
#include <functional>

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

// The same for two lanes that wait for each other, and so must run at the
// same time: returns false, having run neither, when no thread can be
// started.
bool RunBothCoresTogether(const std::function<void(std::size_t lane, const LaneStop& stop)>& work);

}  // namespace velloran::dedupe
