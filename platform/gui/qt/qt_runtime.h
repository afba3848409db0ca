#pragma once

#include <QtWidgets/QWidget>
#include <string_view>

#include "platform/runtime.h"

namespace velloran::platform::qt {

// The running program's services, with message boxes modal over the main
// window.
class QtRuntime : public Runtime {
 public:
  // Message boxes carry `title`.
  QtRuntime(QWidget& main_window, std::string_view title)
      : main_window_(main_window), title_(title) {}

  std::string AppPath() const override;
  float ScreenWidth() const override;
  float ScreenHeight() const override;
  int VerticalScrollBarWidth() const override;
  void MsgBox(const std::string& prompt) override;
  void End() override;

  bool HasEnded() const override { return ended_; }

 private:
  QWidget& main_window_;
  std::string_view title_;
  bool ended_ = false;
};

}  // namespace velloran::platform::qt
