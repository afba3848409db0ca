#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/progress.h"
#include "platform/runtime.h"

namespace velloran::platform {

// What running work last reported.
struct WorkReport {
  WorkStep step = WorkStep::kReading;
  std::uint64_t done = 0;
  std::uint64_t total = 0;  // 0 while not known
};

// Runs `work` here and now, reporting to `progress`: kStopRequested when it
// threw Stopped or `progress` asks to stop by the time it has ended,
// kFinished otherwise. Any other exception goes through.
WorkEnd RunWorkHere(const Work& work, Progress& progress);

// One piece of work (Runtime::RunWork) on a thread of its own, as the
// user-interface thread sees it: the latest report to show, a stop to ask
// for, and the end to wait for.
class BackgroundWork final : private Progress {
 public:
  // Starts `work`, which must outlive this object. Once the work has ended
  // (Ended() is true), its thread calls `on_end`, which must not throw: the
  // toolkit's way to wake the user-interface thread.
  BackgroundWork(const Work& work, std::function<void()> on_end);
  // Unless Finish has waited for it, asks the work to stop and waits for it.
  ~BackgroundWork() override;
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  void RequestStop() { stop_requested_ = true; }
  bool Ended() const { return ended_; }
  WorkReport Latest() const;

  // Waits for the work's thread; returns how the work ended, or throws what
  // it threw.
  WorkEnd Finish();

 private:
  // Progress, called on the work's thread.
  void Report(WorkStep step, std::uint64_t done, std::uint64_t total) override;
  bool StopRequested() const override { return stop_requested_; }

  void Run(const Work& work);

  std::function<void()> on_end_;
  std::atomic<bool> stop_requested_{false};
  std::atomic<bool> ended_{false};
  mutable std::mutex report_mutex_;
  WorkReport latest_;
  WorkEnd end_ = WorkEnd::kFinished;
  std::exception_ptr failure_;
  std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace velloran::platform
