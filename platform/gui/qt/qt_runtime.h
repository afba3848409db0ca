#pragma once

#include <QtWidgets/QWidget>

#include "platform/runtime.h"

namespace velloran::platform::qt {

// The running program's services, with message boxes modal over the main
// window.
class QtRuntime : public Runtime {
 public:
  explicit QtRuntime(QWidget& main_window) : main_window_(main_window) {}

  std::string AppPath() const override;
  float ScreenWidth() const override;
  float ScreenHeight() const override;
  int VerticalScrollBarWidth() const override;
  void MsgBox(const std::string& prompt) override;
  void End() override;

  bool HasEnded() const { return ended_; }

 private:
  QWidget& main_window_;
  bool ended_ = false;
};

}  // namespace velloran::platform::qt
