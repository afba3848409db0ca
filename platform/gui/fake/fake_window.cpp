#include "platform/gui/fake/fake_window.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/gui/draw_text_rules.h"
#include "platform/gui/toolkit_messages.h"

namespace velloran::platform::fake {
namespace {

constexpr float kFrameWidth = 6 * 15;  // twips
constexpr float kFrameHeight = 35 * 15;

}  // namespace

FakeWindow::FakeWindow(const Form1Description& description)
    : caption_(description.name),
      width_(static_cast<float>(description.client_width) + kFrameWidth),
      height_(static_cast<float>(description.client_height) + kFrameHeight) {}

void FakeWindow::SetMousePointer(int pointer) {
  pointer_ = pointer;
  if (!pointer_history_.empty()) pointer_history_ += ' ';
  pointer_history_ += std::to_string(pointer);
}

void FakeWindow::LoadMouseIcon(const std::string& path) {
  const FileBuffer contents = ReadWholeFile(path);
  constexpr std::string_view kCursorHeader("\0\0\2\0", 4);
  if (!contents.view().starts_with(kCursorHeader)) {
    throw Error(toolkit_messages::kCannotLoadPointer, path, toolkit_messages::kNotPointerFile);
  }
  mouse_icon_path_ = path;
}

int FakeWindow::MeasureText(const std::string& text) const {
  const int char_width = static_cast<int>(font_.size) + (font_.bold ? 1 : 0);
  int widest = 0;
  for (const std::string& line : DrawTextLines(text)) {
    // Count characters, not UTF-8 continuation bytes.
    const auto chars = std::count_if(line.begin(), line.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    widest = std::max(widest, static_cast<int>(chars) * char_width);
  }
  return widest;
}

}  // namespace velloran::platform::fake
