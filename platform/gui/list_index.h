#pragma once

#include <string_view>

namespace velloran::platform {

// Throws Error naming `index` unless it numbers one of `count` list entries;
// `operation` says what was asked ("read", "remove"). See platform/list_box.h.
void CheckListIndex(int index, int count, std::string_view operation);

}  // namespace velloran::platform
