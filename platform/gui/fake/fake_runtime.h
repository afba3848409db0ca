#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/background_work.h"
#include "platform/gui/work_state.h"
#include "platform/runtime.h"

namespace velloran::platform::fake {

class FakeRuntime final : public Runtime {
 public:
  // One report of work that RunWork ran, with the subject it was on.
  struct Reported {
    std::string subject;
    WorkReport report;
  };

  std::string AppPath() const override { return app_path_; }
  float ScreenWidth() const override { return screen_width_; }
  float ScreenHeight() const override { return screen_height_; }
  int VerticalScrollBarWidth() const override { return 17; }
  void MsgBox(const std::string& prompt) override {
    if (!ended_) messages_.push_back(prompt);
  }
  void End() override { ended_ = true; }
  bool HasEnded() const override { return ended_; }

  // Runs the work at once, on the caller's thread; every report is recorded
  // and then handed to the user's script (WhileWorking). A close of the
  // window meanwhile comes once the work has stopped (CloseWindowWith).
  WorkEnd RunWork(const std::string& subject, const Work& work) override;
  // How the backend closes its window.
  void CloseWindowWith(std::function<void()> close) { close_window_ = std::move(close); }

  // Plays the user while work runs: called on every report of the work, where
  // a test may press Cancel, click the window or close it.
  void WhileWorking(std::function<void(const Reported&)> user) { user_ = std::move(user); }
  // The progress window's Cancel button (or Escape).
  void PressCancel() const { work_.RequestStop(); }

  WorkState& work() { return work_; }
  const std::vector<Reported>& Reports() const { return reports_; }

  void SetAppPath(std::string path) { app_path_ = std::move(path); }
  void SetScreenSize(float width, float height) {
    screen_width_ = width;
    screen_height_ = height;
  }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  class ScriptedProgress;

  std::string app_path_ = ".";
  float screen_width_ = 19200, screen_height_ = 14400;  // 1280 x 960 pixels
  std::vector<std::string> messages_;
  bool ended_ = false;
  WorkState work_;
  std::function<void(const Reported&)> user_;
  std::function<void()> close_window_;
  std::vector<Reported> reports_;
};

}  // namespace velloran::platform::fake
