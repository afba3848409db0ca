#pragma once

#include <chrono>
#include <string>
#include <thread>

#include "platform/runtime.h"

namespace velloran::testing {

// Passes reports on to `progress`, the first one only after `delay`, so that
// work on a small file lasts as long as on a large one, and a stop asked for
// meanwhile finds it before it has done anything. The wait ends early once a
// stop is asked for.
class SlowStart final : public platform::Progress {
 public:
  SlowStart(platform::Progress& progress, std::chrono::milliseconds delay)
      : progress_(progress), delay_(delay) {}

  void Report(platform::WorkStep step, std::uint64_t done, std::uint64_t total) override {
    const auto until = std::chrono::steady_clock::now() + delay_;
    while (std::chrono::steady_clock::now() < until && !progress_.StopRequested()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    delay_ = {};
    progress_.Report(step, done, total);
  }
  bool StopRequested() const override { return progress_.StopRequested(); }

 private:
  platform::Progress& progress_;
  std::chrono::milliseconds delay_;
};

// A toolkit's runtime whose work on one file (or on every file, when
// `slow_subject` is empty) is slow to start (SlowStart); everything else goes
// straight to the toolkit.
class SlowWorkRuntime final : public platform::Runtime {
 public:
  SlowWorkRuntime(platform::Runtime& runtime, std::chrono::milliseconds delay,
                  std::string slow_subject = {})
      : runtime_(runtime), delay_(delay), slow_subject_(std::move(slow_subject)) {}

  std::string AppPath() const override { return runtime_.AppPath(); }
  float ScreenWidth() const override { return runtime_.ScreenWidth(); }
  float ScreenHeight() const override { return runtime_.ScreenHeight(); }
  int VerticalScrollBarWidth() const override { return runtime_.VerticalScrollBarWidth(); }
  void MsgBox(const std::string& prompt) override { runtime_.MsgBox(prompt); }
  void End() override { runtime_.End(); }
  bool HasEnded() const override { return runtime_.HasEnded(); }

  platform::WorkEnd RunWork(const std::string& subject, const platform::Work& work) override {
    if (!slow_subject_.empty() && subject != slow_subject_) return runtime_.RunWork(subject, work);
    return runtime_.RunWork(subject, [this, &work](platform::Progress& progress) {
      SlowStart slow(progress, delay_);
      work(slow);
    });
  }

 private:
  platform::Runtime& runtime_;
  std::chrono::milliseconds delay_;
  std::string slow_subject_;
};

}  // namespace velloran::testing
