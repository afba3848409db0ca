#include "dedupe/survivor_writer.h"

#include <cstring>

namespace velloran::dedupe {
namespace {

// Survivors are gathered into blocks of this size before each write: few
// system calls, and little fresh memory to fault in.
constexpr std::size_t kWriteBlock = std::size_t{256} << 10;

}  // namespace

SurvivorWriter::SurvivorWriter(const std::string& path, Encoding encoding)
    : file_(path),
      unit_width_(UnitWidth(encoding)),
      line_end_(LineEnd(encoding)),
      space_(Space(encoding)),
      block_(std::make_unique_for_overwrite<char[]>(kWriteBlock)) {
  Put(ByteOrderMark(encoding));
}

void SurvivorWriter::PutLine(std::string_view line) {
  if (line != space_) Put(line);
  if ((line.size() & (unit_width_ - 1)) == 0) Put(line_end_);  // widths are powers of 2
}

void SurvivorWriter::EndLongLine(std::uint64_t length) {
  if (length % unit_width_ == 0) Put(line_end_);
}

void SurvivorWriter::Commit() {
  Flush();
  file_.Commit();
}

void SurvivorWriter::Put(std::string_view bytes) {
  if (bytes.empty()) return;
  if (bytes.size() > kWriteBlock - used_) {
    Flush();
    if (bytes.size() >= kWriteBlock) return file_.Write(bytes);
  }
  std::memcpy(block_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void SurvivorWriter::Flush() {
  if (used_ == 0) return;
  file_.Write(std::string_view(block_.get(), used_));
  used_ = 0;
}

}  // namespace velloran::dedupe
