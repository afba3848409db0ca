#pragma once

#include <string>

#include "platform/window.h"
#include "platform/window_description.h"

namespace velloran::platform::fake {

// The font of the window, and of a control that is given none.
inline const Font kDefaultFont{"MS Sans Serif", false, 8.25};

// A window that only records what the handlers set. Text is measured with a
// simple rule that still depends on the font: every character is as many
// pixels wide as the font's size in whole points, plus one when bold.
class FakeWindow final : public Window {
 public:
  // Captioned with its name; the outer size is the client area with a frame
  // 6 pixels wide across and 35 pixels high down (title bar and borders).
  explicit FakeWindow(const Form1Description& description);

  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }

  float Left() const override { return left_; }
  float Top() const override { return top_; }
  float Width() const override { return width_; }
  float Height() const override { return height_; }
  void SetLeft(float twips) override { left_ = twips; }
  void SetTop(float twips) override { top_ = twips; }
  void SetSize(float width, float height) {
    width_ = width;
    height_ = height;
  }

  int MousePointer() const override { return pointer_; }
  void SetMousePointer(int pointer) override;
  // Accepts only files that start like a pointer file; throws otherwise.
  void LoadMouseIcon(const std::string& path) override;
  const std::string& MouseIconPath() const { return mouse_icon_path_; }
  // Every pointer value set, in order.
  const std::string& PointerHistory() const { return pointer_history_; }

  Font GetFont() const override { return font_; }
  void SetFontName(const std::string& name) override { font_.name = name; }
  void SetFontBold(bool bold) override { font_.bold = bold; }
  void SetFontSize(double points) override { font_.size = points; }
  int MeasureText(const std::string& text) const override;

 private:
  std::string caption_;
  float left_ = 0, top_ = 0;
  float width_ = 0, height_ = 0;
  int pointer_ = 0;
  std::string pointer_history_;
  std::string mouse_icon_path_;
  Font font_ = kDefaultFont;
};

}  // namespace velloran::platform::fake
