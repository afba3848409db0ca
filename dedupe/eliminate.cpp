#include "dedupe/eliminate.h"

#include <utility>

#include "dedupe/both_cores.h"
#include "dedupe/line_hash.h"
#include "dedupe/repeat_table.h"

namespace velloran::dedupe {
namespace {

// Below this many lines a second thread costs more than it saves.
std::size_t LanesFor(std::size_t lines) {
  constexpr std::size_t kLinesForTwoLanes = std::size_t{1} << 16;
  return lines >= kLinesForTwoLanes ? LaneCount() : 1;
}

}  // namespace

bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker) {
  return EliminateDuplicates(items, marker, [](std::size_t) {});
}

bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker,
                         const std::function<void(std::size_t)>& lines_done) {
  const bool found = BlankRepeatsWith(items, LineHasher{}, lines_done, repeat_table::SlotArray(),
                                      LanesFor(items.size()));
  if (!found && !items.empty()) items[0] = marker;
  return found;
}

bool EliminateDuplicates(ItemList& items, std::string_view marker,
                         const std::function<void(std::size_t)>& lines_done,
                         repeat_table::SlotArray slots) {
  const bool found = BlankRepeatsWith(items.span(), LineHasher{}, lines_done, std::move(slots),
                                      LanesFor(items.size()));
  if (!found && !items.empty()) items.ReplaceFirst(marker);
  return found;
}

}  // namespace velloran::dedupe
