#pragma once

#include <QtWidgets/QWidget>
#include <string_view>

#include "platform/gui/work_state.h"
#include "platform/runtime.h"
#include "platform/window_description.h"

namespace velloran::platform::qt {

// The running program's services, with message boxes and the progress window
// modal over the main window. Once the program has ended, no message box
// shows.
class QtRuntime : public Runtime {
 public:
  // Message boxes and the progress window carry the description's title; the
  // progress window is built from its description, which must outlive the
  // runtime. Throws Error when the progress window's controls are not of the
  // kinds it needs.
  QtRuntime(QWidget& main_window, const UiDescription& description);

  std::string AppPath() const override;
  float ScreenWidth() const override;
  float ScreenHeight() const override;
  int VerticalScrollBarWidth() const override;
  void MsgBox(const std::string& prompt) override;
  void End() override;
  bool HasEnded() const override { return ended_; }

  // Waits in an event loop that keeps the windows painted and takes no input
  // for the main window; opens the progress window after a while. A close
  // of the main window meanwhile stops the work and then closes it, before
  // this returns.
  WorkEnd RunWork(const std::string& subject, const Work& work) override;

  WorkState& work() { return work_; }

 private:
  WorkEnd WaitForWork(const std::string& subject, const Work& work);

  QWidget& main_window_;
  std::string_view title_;
  const ProgressWindowDescription& progress_window_;
  bool ended_ = false;
  WorkState work_;
};

}  // namespace velloran::platform::qt
