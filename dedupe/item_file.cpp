#include "dedupe/item_file.h"

#include <limits>
#include <utility>

#include "dedupe/core_messages.h"
#include "dedupe/detect_encoding.h"
#include "dedupe/page_warmer.h"
#include "dedupe/survivor_writer.h"
#include "platform/error.h"

namespace velloran::dedupe {
namespace {

// The repeat table numbers lines with 32 bits.
constexpr std::size_t kMaxItems = std::numeric_limits<std::uint32_t>::max();
// Items written between progress reports.
constexpr std::size_t kWriteReportItems = std::size_t{1} << 16;

}  // namespace

ItemFile::ItemFile(std::string path, platform::FileBuffer buffer, Encoding encoding,
                   std::size_t line_count)
    : path_(std::move(path)), buffer_(std::move(buffer)), encoding_(encoding) {
  if (line_count >= kMaxItems) {
    throw platform::Error(platform::os_messages::kCannotRead, path_, core_messages::kTooManyLines);
  }
  if (buffer_.size() > ItemList::kLongestText) {
    throw platform::Error(platform::os_messages::kCannotRead, path_,
                          platform::os_messages::kFileTooLarge);
  }
  platform::CatchOutOfMemory(platform::os_messages::kCannotRead, path_, [&] {
    // The other core warms the table first, which this one touches only
    // later, then the views from their end while this one fills them.
    WithPagesWarmed([&](PageWarmer& warmer) {
      slots_ = repeat_table::SlotsForLines(line_count);
      warmer.Offer(slots_.data(), slots_.bytes());
      items_.reserve(line_count);
      warmer.Offer(items_.data(), line_count * ItemList::kBytesPerItem);
      SplitLinesInto(buffer_.view().substr(ByteOrderMark(encoding_).size()), encoding_, items_);
    });
  });
}

ItemFile ItemFile::Read(const std::string& path) {
  platform::FileBuffer buffer = platform::ReadWholeFile(path);
  const Encoding encoding = DetectEncoding(buffer.view());
  const std::size_t lines =
      CountLines(buffer.view().substr(ByteOrderMark(encoding).size()), encoding);
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
