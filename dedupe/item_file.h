#pragma once

// The removal run's view of one text file: its items, the elimination of
// repeats, and the writing of the survivors.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dedupe/eliminate.h"
#include "dedupe/item_list.h"
#include "dedupe/text_format.h"
#include "platform/files.h"

namespace velloran::dedupe {

// One file's items in file order: each a view of one line's bytes (in the
// file's encoding, without its line end) into the one buffer the file was
// read into. An empty view is an absent item.
class ItemFile {
 public:
  // A file without items.
  ItemFile() = default;

  // Reads the whole file and splits it into items. Throws platform::Error,
  // also when memory runs out or the file has 2^32 - 1 lines or more.
  static ItemFile Read(const std::string& path);

  // The path the file was read from.
  const std::string& path() const { return path_; }
  Encoding encoding() const { return encoding_; }
  // The file's size in bytes, as read.
  std::uint64_t size() const { return buffer_.size(); }
  ItemList& items() { return items_; }
  const ItemList& items() const { return items_; }

 private:
  ItemFile(std::string path, platform::FileBuffer buffer);

  std::string path_;
  platform::FileBuffer buffer_;
  Encoding encoding_ = Encoding::kBytes;
  ItemList items_;
};

// Blanks every item that repeats an earlier one, keeps first occurrences in
// place, writes the None911 marker (in the file's encoding) into item 0 when
// nothing was blanked, and returns whether anything was blanked. A file
// without items stays without items and returns false. Throws
// platform::Error when memory runs out.
bool EliminateDuplicates(ItemFile& file);

// Writes the non-empty items in order, each followed by CR LF, in the file's
// encoding with its BOM first if it had one; a one-unit item has its spaces
// removed, so a single space gives an empty line. Replaces `path`
// atomically: on any failure the file at `path` is left as it was. Throws
// platform::Error.
void WriteSurvivors(const ItemFile& file, const std::string& path);

}  // namespace velloran::dedupe
