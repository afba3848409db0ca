#include "platform/gui/list_index.h"

#include <string>

#include "platform/error.h"

namespace velloran::platform {

void CheckListIndex(int index, int count, std::string_view operation) {
  if (index >= 0 && index < count) return;
  throw Error("Cannot " + std::string(operation) + " entry " + std::to_string(index) +
              " of the list: it holds " + std::to_string(count) +
              (count == 1 ? " entry" : " entries"));
}

}  // namespace velloran::platform
