#include "dedupe/eliminate.h"

#include "dedupe/line_hash.h"
#include "dedupe/repeat_table.h"

namespace velloran::dedupe {
bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker) {
  return EliminateDuplicates(items, marker, [](std::size_t) {});
}

bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker,
                         const std::function<void(std::size_t)>& lines_done) {
  const bool found = BlankRepeatsWith(items, LineHasher{}, lines_done);
  if (!found && !items.empty()) items[0] = marker;
  return found;
}

}  // namespace velloran::dedupe
