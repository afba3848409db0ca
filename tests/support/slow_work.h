#pragma once

#include <algorithm>
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

// Work that reports its way through 1000 bytes over `duration`, every 10 ms,
// in step `first` for the first half and `second` for the rest, and stops
// when asked.
inline platform::Work TimedWork(std::chrono::milliseconds duration,
                                platform::WorkStep first = platform::WorkStep::kReading,
                                platform::WorkStep second = platform::WorkStep::kReading) {
  return [=](platform::Progress& progress) {
    using std::chrono::steady_clock;
    const auto start = steady_clock::now();
    for (;;) {
      const auto elapsed = steady_clock::now() - start;
      const auto share = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed) * 1000;
      const auto done = static_cast<std::uint64_t>(std::min<std::int64_t>(1000, share / duration));
      platform::ReportOrStop(progress, done < 500 ? first : second, done, 1000);
      if (elapsed >= duration) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  };
}

// Work that keeps its thread busy for `duration` without a word, then
// reports once.
inline platform::Work BusyWork(std::chrono::milliseconds duration) {
  return [duration](platform::Progress& progress) {
    const auto until = std::chrono::steady_clock::now() + duration;
    volatile std::uint64_t spins = 0;
    while (std::chrono::steady_clock::now() < until) spins = spins + 1;
    progress.Report(platform::WorkStep::kRemoving, 1, 1);
  };
}

}  // namespace velloran::testing
