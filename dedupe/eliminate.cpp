#include "dedupe/eliminate.h"

#include "dedupe/line_hash.h"
#include "dedupe/repeat_halves.h"
#include "dedupe/repeat_table.h"

namespace velloran::dedupe {
namespace {

// Fewer lines are done sooner than a second thread starts working.
constexpr std::size_t kLinesForBothCores = std::size_t{1} << 16;

}  // namespace
bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker) {
  return EliminateDuplicates(items, marker, [](std::size_t) {});
}

bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker,
                         const std::function<void(std::size_t)>& lines_done) {
  const bool found = items.size() >= kLinesForBothCores && LaneCount() > 1
                         ? BlankRepeatsOnBothCores(items, LineHasher{}, lines_done)
                         : BlankRepeatsWith(items, LineHasher{}, lines_done);
  if (!found && !items.empty()) items[0] = marker;
  return found;
}

}  // namespace velloran::dedupe
