#pragma once

#include <functional>
#include <utility>

namespace velloran::platform {

// Whether a toolkit's runtime is running work off the user-interface thread
// (Runtime::RunWork), and a close of the window that waits for it. Used on
// the user-interface thread only: RunWork marks its work running; the handler
// guard runs no handler meanwhile; the window's close handling asks the work
// to stop, and the window closes once the work has stopped.
class WorkState {
 public:
  // Marks work running for as long as it lives; `stop` asks that work to stop.
  class Running {
   public:
    Running(WorkState& state, std::function<void()> stop) : state_(state) {
      state_.stop_ = std::move(stop);
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    ~Running() { state_.stop_ = nullptr; }

   private:
    WorkState& state_;
  };

  bool IsRunning() const { return static_cast<bool>(stop_); }

  // Asks the running work, if any, to stop.
  void RequestStop() const {
    if (stop_) stop_();
  }

  // The user closes the window. While work runs, the work is asked to stop
  // and the close is kept for later; returns whether it was.
  bool DeferClose() {
    if (!IsRunning()) return false;
    RequestStop();
    close_deferred_ = true;
    return true;
  }

  // Whether a close was deferred; call once the work has stopped (or the
  // handler that ran it has returned), and close the window if so. Clears it.
  bool TakeDeferredClose() { return std::exchange(close_deferred_, false); }

  // Runs `wait_for_work` and returns what it returns; then, whether it
  // returned or threw, closes the window through `close` when the user asked
  // for that meanwhile, so the close comes as soon as the work has stopped.
  template <typename Wait, typename Close>
  auto WaitThenClose(Wait&& wait_for_work, Close&& close) {
    decltype(wait_for_work()) result;
    try {
      result = wait_for_work();
    } catch (...) {
      if (TakeDeferredClose()) close();
      throw;
    }
    if (TakeDeferredClose()) close();
    return result;
  }

 private:
  std::function<void()> stop_;
  bool close_deferred_ = false;
};

}  // namespace velloran::platform
