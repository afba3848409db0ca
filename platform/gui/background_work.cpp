#include "platform/gui/background_work.h"

#include <utility>

namespace velloran::platform {

WorkEnd RunWorkHere(const Work& work, Progress& progress) {
  try {
    work(progress);
  } catch (const Stopped&) {
    return WorkEnd::kStopRequested;
  }
  return progress.StopRequested() ? WorkEnd::kStopRequested : WorkEnd::kFinished;
}

BackgroundWork::BackgroundWork(const Work& work, std::function<void()> on_end)
    : on_end_(std::move(on_end)), thread_([this, &work] { Run(work); }) {}

BackgroundWork::~BackgroundWork() {
  if (!thread_.joinable()) return;
  RequestStop();
  thread_.join();
}

// The results are written before ended_ is set and read after the thread is
// joined, so only the report needs a lock.
void BackgroundWork::Run(const Work& work) {
  try {
    end_ = RunWorkHere(work, *this);
  } catch (...) {
    failure_ = std::current_exception();
  }
  ended_ = true;
  on_end_();
}

void BackgroundWork::Report(WorkStep step, std::uint64_t done, std::uint64_t total) {
  const std::lock_guard lock(report_mutex_);
  latest_ = {step, done, total};
}

WorkReport BackgroundWork::Latest() const {
  const std::lock_guard lock(report_mutex_);
  return latest_;
}

WorkEnd BackgroundWork::Finish() {
  if (thread_.joinable()) thread_.join();
  if (failure_) std::rethrow_exception(failure_);
  return end_;
}

}  // namespace velloran::platform
