#include "platform/gui/fake/fake_runtime.h"

namespace velloran::platform::fake {

// Records each report, lets the user's script act on it, and tells the work
// to stop once the script has asked for a stop.
class FakeRuntime::ScriptedProgress final : public Progress {
 public:
  ScriptedProgress(FakeRuntime& runtime, const std::string& subject)
      : runtime_(runtime), subject_(subject) {}

  void Report(WorkStep step, std::uint64_t done, std::uint64_t total) override {
    runtime_.reports_.push_back({subject_, {step, done, total}});
    if (runtime_.user_) runtime_.user_(runtime_.reports_.back());
  }
  bool StopRequested() const override { return stop_requested_; }
  void RequestStop() { stop_requested_ = true; }

 private:
  FakeRuntime& runtime_;
  const std::string& subject_;
  bool stop_requested_ = false;
};

WorkEnd FakeRuntime::RunWork(const std::string& subject, const Work& work) {
  const auto close_if_asked = [this] {
    if (work_.TakeDeferredClose() && close_window_) close_window_();
  };
  WorkEnd end = WorkEnd::kFinished;
  try {
    ScriptedProgress progress(*this, subject);
    const WorkState::Running running(work_, [&progress] { progress.RequestStop(); });
    end = RunWorkHere(work, progress);
  } catch (...) {
    close_if_asked();
    throw;
  }
  close_if_asked();
  return end;
}

}  // namespace velloran::platform::fake
