#include "dedupe/item_file.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "platform/error.h"

namespace velloran::dedupe {
namespace {

constexpr std::string_view kOutOfMemory = "Not enough memory.";
// The repeat table numbers lines with 32 bits.
constexpr std::size_t kMaxItems = std::numeric_limits<std::uint32_t>::max();

// Survivors are gathered into blocks of this size before each write: few
// system calls, and little fresh memory to fault in.
constexpr std::size_t kWriteBlock = std::size_t{256} << 10;

class BlockWriter {
 public:
  explicit BlockWriter(const std::string& path)
      : file_(path), block_(std::make_unique_for_overwrite<char[]>(kWriteBlock)) {}

  void Put(std::string_view bytes) {
    if (bytes.empty()) return;
    if (bytes.size() > kWriteBlock - used_) {
      Flush();
      if (bytes.size() >= kWriteBlock) return file_.Write(bytes);
    }
    std::memcpy(block_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }

  void Commit() {
    Flush();
    file_.Commit();
  }

 private:
  void Flush() {
    if (used_ == 0) return;
    file_.Write(std::string_view(block_.get(), used_));
    used_ = 0;
  }

  platform::AtomicFileWriter file_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
};

}  // namespace

ItemFile::ItemFile(std::string path, platform::FileBuffer buffer)
    : path_(std::move(path)), buffer_(std::move(buffer)) {
  const std::string_view bytes = buffer_.view();
  encoding_ = DetectEncoding(bytes);
  try {
    items_ = SplitLines(bytes.substr(ByteOrderMark(encoding_).size()), encoding_);
  } catch (const std::bad_alloc&) {
    throw platform::Error("Cannot read", path_, kOutOfMemory);
  }
  if (items_.size() >= kMaxItems) {
    throw platform::Error("Cannot read", path_, "The file has too many lines.");
  }
}

ItemFile ItemFile::Read(const std::string& path) {
  return ItemFile(path, platform::ReadWholeFile(path));
}

bool EliminateDuplicates(ItemFile& file) {
  try {
    return EliminateDuplicates(file.items(), EncodedNone911(file.encoding()));
  } catch (const std::bad_alloc&) {
    throw platform::Error("Cannot remove repeats from", file.path(), kOutOfMemory);
  }
}

void WriteSurvivors(const ItemFile& file, const std::string& path) {
  const Encoding encoding = file.encoding();
  const std::string_view line_end = LineEnd(encoding);
  const std::string_view space = Space(encoding);
  BlockWriter out(path);
  out.Put(ByteOrderMark(encoding));
  for (const std::string_view item : file.items()) {
    if (item.empty()) continue;
    // A one-character item loses its spaces: a lone space is an empty line.
    if (item != space) out.Put(item);
    out.Put(line_end);
  }
  out.Commit();
}

}  // namespace velloran::dedupe
