#include "platform/gui/draw_text_rules.h"

namespace velloran::platform {

std::vector<std::string> DrawTextLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else if (c == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        lines.back() += '&';
        ++i;
      }
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

}  // namespace velloran::platform
