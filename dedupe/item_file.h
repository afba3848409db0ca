#pragma once

// The removal run's view of one text file held in memory: its items, the
// elimination of repeats, and the writing of the survivors.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "dedupe/eliminate.h"
#include "dedupe/item_list.h"
#include "dedupe/repeat_table.h"
#include "dedupe/text_format.h"
#include "platform/files.h"

namespace velloran::dedupe {

// Called with the bytes of the file done so far; it may throw to stop.
using BytesDone = std::function<void(std::uint64_t)>;

// A text's line count, and where the text is cut for each core to split
// one part: just after a line end near the middle, or at its end when it is
// split on one core.
struct LineCount {
  std::size_t total = 0;
  std::size_t cut = 0;
  std::size_t before_cut = 0;  // the lines before the cut
};

// Counts the lines of `text` (a file's bytes after its byte order mark) as
// CountLines does, on both cores when there is more than a little text.
LineCount CountLinesOf(std::string_view text, Encoding encoding);
// The same in `lanes` lanes (1 or 2), whatever the text's size.
LineCount CountLinesOf(std::string_view text, Encoding encoding, std::size_t lanes);

// One file's items in file order: each one line's bytes (in the file's
// encoding, without its line end) in the one buffer the file was read into,
// read as a view. An empty view is an absent item.
class ItemFile {
 public:
  // Splits the file's bytes, read from `path`, into items; `encoding` and
  // `lines` are what DetectEncoding and CountLinesOf say of them. Throws
  // platform::Error, also when memory runs out, the file has 2^32 - 1
  // lines or more, or it is longer than ItemList::kLongestText.
  ItemFile(std::string path, platform::FileBuffer buffer, Encoding encoding, LineCount lines);

  // Reads the whole file at `path` and splits it into items.
  static ItemFile Read(const std::string& path);

  // The path the file was read from.
  const std::string& path() const { return path_; }
  Encoding encoding() const { return encoding_; }
  // The file's size in bytes, as read.
  std::uint64_t size() const { return buffer_.size(); }
  ItemList& items() { return items_; }
  const ItemList& items() const { return items_; }
  // The repeat table's slots, made and faulted in while the lines were
  // split; EliminateDuplicates takes them.
  repeat_table::SlotArray TakeSlots() { return std::move(slots_); }
  // Where `item` (not empty) ends, in bytes from the start of the file.
  std::uint64_t EndOf(std::string_view item) const {
    return static_cast<std::uint64_t>(item.data() + item.size() - buffer_.data());
  }

 private:
  void SplitOnBothCores(std::string_view text, const LineCount& lines);

  std::string path_;
  platform::FileBuffer buffer_;
  Encoding encoding_ = Encoding::kBytes;
  ItemList items_;
  repeat_table::SlotArray slots_;
};

// Blanks every item that repeats an earlier one, keeps first occurrences in
// place, writes the None911 marker (in the file's encoding) into item 0 when
// nothing was blanked, and returns whether anything was blanked. A file
// without items stays without items and returns false. Throws
// platform::Error when memory runs out.
bool EliminateDuplicates(
    ItemFile& file, const BytesDone& done = [](std::uint64_t) {});

// Writes the non-empty items in order through a SurvivorWriter
// (dedupe/survivor_writer.h): each followed by CR LF, in the file's encoding
// with its byte order mark first if it had one; an item that is a single
// space is written as an empty line. Replaces `path` atomically: on any
// failure the file at `path` is left as it was. Throws platform::Error.
void WriteSurvivors(
    const ItemFile& file, const std::string& path, const BytesDone& done = [](std::uint64_t) {});

}  // namespace velloran::dedupe
