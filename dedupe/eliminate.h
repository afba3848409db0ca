#pragma once

// The elimination of repeated items on any array of item views.

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

#include "dedupe/item_list.h"
#include "dedupe/repeat_table.h"

namespace velloran::dedupe {

// The marker EliminateDuplicates writes into item 0 when it blanked nothing.
inline constexpr std::string_view kNone911 = "None911";

// Blanks (sets to the empty view) every item that repeats an earlier one:
// the first occurrence of each value stays in its slot, comparison is exact
// byte for byte, and empty items are never repeats of each other. When
// nothing was blanked and there is an item 0, `marker` is written into it.
// Returns whether anything was blanked. Linear expected time, any size.
bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker = kNone911);

// The same, calling `lines_done(count)` every 2^18 items; it may throw to
// stop, and then the items are left partly blanked.
bool EliminateDuplicates(std::span<std::string_view> items, std::string_view marker,
                         const std::function<void(std::size_t)>& lines_done);

// The same on a text's items, with the repeat table's slots made ahead by
// repeat_table::SlotsForLines(items.size()). The marker replaces item 0
// (ItemList::ReplaceFirst).
bool EliminateDuplicates(ItemList& items, std::string_view marker,
                         const std::function<void(std::size_t)>& lines_done,
                         repeat_table::SlotArray slots);

}  // namespace velloran::dedupe
