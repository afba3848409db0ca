// Fuzz target: the encoding of any bytes, and their lines. Every line is a
// view into the text, the lines are in order, nothing but one line end lies
// between two of them, no line holds a line end, and every scan of byte
// text finds the same lines.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dedupe/byte_lines.h"
#include "dedupe/detect_encoding.h"
#include "dedupe/text_format.h"
#include "tests/fuzz/fuzz_check.h"

namespace velloran::fuzz {
namespace {

using dedupe::Encoding;

// Whether `gap` is exactly one line end: CR, LF or CR LF, as code units of
// `width` bytes.
bool IsOneLineEnd(std::string_view gap, std::string_view cr, std::string_view lf) {
  return gap == cr || gap == lf ||
         (gap.size() == cr.size() + lf.size() && gap.starts_with(cr) && gap.ends_with(lf));
}

bool HoldsLineEnd(std::string_view line, std::size_t width, std::string_view cr,
                  std::string_view lf) {
  for (std::size_t at = 0; at + width <= line.size(); at += width) {
    const std::string_view unit = line.substr(at, width);
    if (unit == cr || unit == lf) return true;
  }
  return false;
}

void CheckLines(std::string_view text, Encoding encoding) {
  const dedupe::ItemList lines = dedupe::SplitLines(text, encoding);
  // CR LF in the file's encoding is two code units.
  const std::string_view line_end = dedupe::LineEnd(encoding);
  const std::size_t width = line_end.size() / 2;
  const std::string_view cr = line_end.substr(0, width);
  const std::string_view lf = line_end.substr(width);

  std::size_t end_of_last = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t start = static_cast<std::size_t>(line.data() - text.data());
    Check(line.data() >= text.data() && start >= end_of_last && start <= text.size() &&
              line.size() <= text.size() - start,
          "lines are views into the text, in order");
    Check(start % width == 0, "lines start on the code unit grid");
    const std::string_view gap = text.substr(end_of_last, start - end_of_last);
    Check(i == 0 ? gap.empty() : IsOneLineEnd(gap, cr, lf), "one line end between lines");
    Check(!HoldsLineEnd(line, width, cr, lf), "no line holds a line end");
    end_of_last = start + line.size();
  }
  const std::string_view rest = text.substr(end_of_last);
  Check(rest.empty() || IsOneLineEnd(rest, cr, lf), "at most one line end after the last line");

  if (width != 1) return;
  for (const dedupe::ByteScan scan : dedupe::AvailableByteScans()) {
    dedupe::ItemList scanned;
    dedupe::SplitByteLines(text, scanned, scan);
    Check(scanned.size() == dedupe::CountByteLines(text, scan), "lines counted as split");
    if (encoding != Encoding::kBytes && encoding != Encoding::kUtf8Bom) continue;
    Check(scanned.size() == lines.size(), "every byte scan finds as many lines");
    for (std::size_t i = 0; i < lines.size(); ++i) {
      Check(scanned[i].data() == lines[i].data() && scanned[i].size() == lines[i].size(),
            "every byte scan finds the same lines");
    }
  }
}

}  // namespace
}  // namespace velloran::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const dedupe::Encoding encoding = dedupe::DetectEncoding(bytes);
  const std::string_view mark = dedupe::ByteOrderMark(encoding);
  fuzz::CheckLines(bytes.starts_with(mark) ? bytes.substr(mark.size()) : bytes, encoding);
  return 0;
}
