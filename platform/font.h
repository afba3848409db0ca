#pragma once

#include <string>

namespace velloran::platform {

// The font properties the program copies from one object to another.
struct Font {
  std::string name;
  bool bold = false;
  double size = 0.0;  // points

  bool operator==(const Font&) const = default;
};

}  // namespace velloran::platform
