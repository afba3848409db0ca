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
  return work_.WaitThenClose(
      [&] {
        ScriptedProgress progress(*this, subject);
        const WorkState::Running running(work_, [&progress] { progress.RequestStop(); });
        return RunWorkHere(work, progress);
      },
      [this] {
        if (close_window_) close_window_();
      });
}

}  // namespace velloran::platform::fake
