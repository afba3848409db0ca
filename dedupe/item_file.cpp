#include "dedupe/item_file.h"

#include <limits>
#include <span>
#include <stdexcept>
#include <utility>

#include "dedupe/both_cores.h"
#include "dedupe/core_messages.h"
#include "dedupe/detect_encoding.h"
#include "dedupe/page_warmer.h"
#include "dedupe/survivor_writer.h"
#include "platform/error.h"
#include "platform/memory.h"

namespace velloran::dedupe {
namespace {

// The repeat table numbers lines with 32 bits.
constexpr std::size_t kMaxItems = std::numeric_limits<std::uint32_t>::max();
// Items written between progress reports.
constexpr std::size_t kWriteReportItems = std::size_t{1} << 16;
// Below this many bytes of text a second thread costs more than it saves.
constexpr std::size_t kTextForTwoLanes = std::size_t{1} << 20;

// Where `text` is cut in two: just after the first line end from its
// middle on, or at its end when none is near.
std::size_t HalvesCut(std::string_view text, Encoding encoding) {
  const std::size_t width = UnitWidth(encoding);
  const std::size_t middle = text.size() / 2 / width * width;
  const std::size_t after = EndOfFirstLineEnd(text.substr(middle, kHalvesCutSearch), encoding);
  return after == std::string_view::npos ? text.size() : middle + after;
}

std::string_view Part(std::string_view text, const LineCount& lines, std::size_t lane) {
  return lane == 0 ? text.substr(0, lines.cut) : text.substr(lines.cut);
}

}  // namespace

LineCount CountLinesOf(std::string_view text, Encoding encoding) {
  return CountLinesOf(text, encoding, text.size() >= kTextForTwoLanes ? LaneCount() : 1);
}

LineCount CountLinesOf(std::string_view text, Encoding encoding, std::size_t lanes) {
  LineCount lines;
  lines.cut = lanes > 1 ? HalvesCut(text, encoding) : text.size();
  // No line crosses the cut, so the parts' counts add up to the whole's.
  std::size_t counts[2] = {0, 0};
  RunOnBothCores(lines.cut < text.size() ? 2 : 1, [&](std::size_t lane, const LaneStop&) {
    counts[lane] = CountLines(Part(text, lines, lane), encoding);
  });
  lines.before_cut = counts[0];
  lines.total = counts[0] + counts[1];
  return lines;
}

ItemFile::ItemFile(std::string path, platform::FileBuffer buffer, Encoding encoding,
                   LineCount lines)
    : path_(std::move(path)), buffer_(std::move(buffer)), encoding_(encoding) {
  if (lines.total >= kMaxItems) {
    throw platform::Error(platform::os_messages::kCannotRead, path_, core_messages::kTooManyLines);
  }
  if (buffer_.size() > ItemList::kLongestText) {
    throw platform::Error(platform::os_messages::kCannotRead, path_,
                          platform::os_messages::kFileTooLarge);
  }
  const std::string_view text = buffer_.view().substr(ByteOrderMark(encoding_).size());
  platform::CatchOutOfMemory(platform::os_messages::kCannotRead, path_, [&] {
    slots_ = repeat_table::SlotsForLines(lines.total);
    if (lines.cut < text.size()) return SplitOnBothCores(text, lines);
    // The other core warms the table first, which this one touches only
    // later, then the views from their end while this one fills them.
    WithPagesWarmed([&](PageWarmer& warmer) {
      warmer.Offer(slots_.data(), slots_.bytes());
      items_.reserve(lines.total);
      warmer.Offer(items_.data(), lines.total * ItemList::kBytesPerItem);
      SplitLinesInto(text, encoding_, items_);
    });
  });
}

// Each core splits the lines of one part straight into their places, then
// faults in half of the table's pages.
void ItemFile::SplitOnBothCores(std::string_view text, const LineCount& lines) {
  const std::span<Item> room = items_.MakeRoom(text, lines.total);
  RunOnBothCores(2, [&](std::size_t lane, const LaneStop&) {
    ItemRun run = lane == 0 ? ItemRun(room.first(lines.before_cut), 0)
                            : ItemRun(room.subspan(lines.before_cut), lines.cut);
    SplitLinesInto(Part(text, lines, lane), encoding_, run);
    if (!run.full()) throw std::length_error("fewer lines than counted");
    const std::size_t half = slots_.bytes() / 2;
    char* const slots = static_cast<char*>(slots_.data());
    platform::PrefaultPages(lane == 0 ? slots : slots + half,
                            lane == 0 ? half : slots_.bytes() - half);
  });
}

ItemFile ItemFile::Read(const std::string& path) {
  platform::FileBuffer buffer = platform::ReadWholeFile(path);
  const Encoding encoding = DetectEncoding(buffer.view());
  const LineCount lines =
      CountLinesOf(buffer.view().substr(ByteOrderMark(encoding).size()), encoding);
  return ItemFile(path, std::move(buffer), encoding, lines);
}

bool EliminateDuplicates(ItemFile& file, const BytesDone& done) {
  const ItemList& items = file.items();
  const std::uint64_t size = file.size();
  return platform::CatchOutOfMemory(core_messages::kCannotRemoveRepeats, file.path(), [&] {
    return EliminateDuplicates(
        file.items(), EncodedNone911(file.encoding()),
        [&](std::size_t lines) { done(size * lines / items.size()); }, file.TakeSlots());
  });
}

void WriteSurvivors(const ItemFile& file, const std::string& path, const BytesDone& done) {
  SurvivorWriter out(path, file.encoding());
  std::size_t next_report = kWriteReportItems;
  std::size_t index = 0;
  for (const std::string_view item : file.items()) {
    if (++index >= next_report && !item.empty()) {
      done(file.EndOf(item));
      next_report = index + kWriteReportItems;
    }
    if (!item.empty()) out.PutLine(item);
  }
  out.Commit();
}

}  // namespace velloran::dedupe
