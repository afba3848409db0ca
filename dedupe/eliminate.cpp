#include "dedupe/eliminate.h"

#include <utility>

#include "dedupe/both_cores.h"
#include "dedupe/line_hash.h"
#include "dedupe/repeat_table.h"

namespace velloran::dedupe {
bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker) {
  return EliminateDuplicates(items, marker, [](std::size_t) {});
}

bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker,
                         const std::function<void(std::size_t)>& lines_done) {
  return EliminateDuplicates(items, marker, lines_done, repeat_table::SlotArray());
}

bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker,
                         const std::function<void(std::size_t)>& lines_done,
                         repeat_table::SlotArray slots) {
  // Below this many lines a second thread costs more than it saves.
  constexpr std::size_t kLinesForTwoLanes = std::size_t{1} << 16;
  const std::size_t lanes = items.size() >= kLinesForTwoLanes ? LaneCount() : 1;
  const bool found = BlankRepeatsWith(items, LineHasher{}, lines_done, std::move(slots), lanes);
  if (!found && !items.empty()) items[0] = marker;
  return found;
}

}  // namespace velloran::dedupe
