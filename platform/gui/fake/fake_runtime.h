#pragma once

#include <string>
#include <vector>

#include "platform/runtime.h"

namespace velloran::platform::fake {

class FakeRuntime final : public Runtime {
 public:
  std::string AppPath() const override { return app_path_; }
  float ScreenWidth() const override { return screen_width_; }
  float ScreenHeight() const override { return screen_height_; }
  int VerticalScrollBarWidth() const override { return 17; }
  void MsgBox(const std::string& prompt) override { messages_.push_back(prompt); }
  void End() override { ended_ = true; }
  bool HasEnded() const override { return ended_; }

  void SetAppPath(std::string path) { app_path_ = std::move(path); }
  void SetScreenSize(float width, float height) {
    screen_width_ = width;
    screen_height_ = height;
  }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  std::string app_path_ = ".";
  float screen_width_ = 19200, screen_height_ = 14400;  // 1280 x 960 pixels
  std::vector<std::string> messages_;
  bool ended_ = false;
};

}  // namespace velloran::platform::fake
