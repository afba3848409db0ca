#pragma once

#include <cstdint>
#include <exception>

#include "platform/os_messages.h"

namespace velloran::platform {

// The steps of one file's work, in the order they run.
enum class WorkStep { kReading, kRemoving, kWriting };

// Long work tells through this how far it has come and asks whether to stop.
// Both are called by the thread doing the work, between blocks of it, and
// must return quickly.
class Progress {
 public:
  virtual ~Progress() = default;

  // `done` of `total` bytes of the file, in the step now running.
  virtual void Report(WorkStep step, std::uint64_t done, std::uint64_t total) = 0;
  virtual bool StopRequested() const = 0;
};

// Thrown by work that ended early because a stop was requested. What the work
// was writing is left as it was, and it leaves no temporary file.
class Stopped final : public std::exception {
 public:
  const char* what() const noexcept override { return os_messages::kWorkStopped.data(); }
};

// Reports nowhere and never stops: work that no user watches.
class NoProgress final : public Progress {
 public:
  void Report(WorkStep, std::uint64_t, std::uint64_t) override {}
  bool StopRequested() const override { return false; }
};

// Reports, then throws Stopped if a stop was requested.
inline void ReportOrStop(Progress& progress, WorkStep step, std::uint64_t done,
                         std::uint64_t total) {
  progress.Report(step, done, total);
  if (progress.StopRequested()) throw Stopped();
}

}  // namespace velloran::platform
