#pragma once

#include <string>
#include <vector>

namespace velloran::platform::qt {

// One object of a program's accessible tree, as a screen reader reads it.
struct AccessibleObject {
  int depth = 0;  // 0 for the program itself
  std::string role;
  std::string name;
  std::string description;
  bool focusable = false;
  bool focused = false;
  bool showing = false;
  std::string value;  // empty when it has none
};

// Reads the accessible tree of the program with process id `pid` from
// outside, over AT-SPI (accessible_tree.py), depth first. Empty when it
// cannot be read; `error` then says why.
std::vector<AccessibleObject> ReadAccessibleTree(int pid, std::string& error);

}  // namespace velloran::platform::qt
