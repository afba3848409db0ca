#include "platform/gui/list_index.h"

#include <string>

#include "platform/error.h"
#include "platform/gui/toolkit_messages.h"

namespace velloran::platform {

void CheckListIndex(int index, int count, std::string_view operation) {
  if (index >= 0 && index < count) return;
  throw Error(toolkit_messages::ListIndexOutOfRange(operation, index, count));
}

}  // namespace velloran::platform
