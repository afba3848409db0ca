#include "dedupe/line_stream.h"

#include <cstring>
#include <memory>

#include "dedupe/line_end.h"
#include "dedupe/line_hash.h"

namespace velloran::dedupe {
namespace {

class Streamer {
 public:
  Streamer(platform::InputFile& file, Encoding encoding, StreamSizes sizes, LineSink& sink)
      : file_(file),
        encoding_(encoding),
        width_(UnitWidth(encoding)),
        sizes_(sizes),
        sink_(sink),
        buffer_(std::make_unique_for_overwrite<char[]>(sizes.block + sizes.long_line)) {}

  StreamSummary Run(const std::function<void(std::uint64_t)>& done) {
    file_.Rewind();
    std::size_t pos = ByteOrderMark(encoding_).size();
    for (;;) {
      const std::size_t got = file_.Read(buffer_.get() + carry_, sizes_.block);
      summary_.digest =
          line_hash::Mix(summary_.digest ^ HashLine(std::string_view(buffer_.get() + carry_, got)),
                         line_hash::kOdd2);
      summary_.bytes += got;
      const bool final = got < sizes_.block;
      window_start_ = summary_.bytes - got - carry_;
      const std::string_view text(buffer_.get(), carry_ + got);
      carry_ = 0;
      Window(text, pos, final);
      done(summary_.bytes);
      if (final) break;
      pos = 0;
    }
    summary_.lines = number_;
    return summary_;
  }

 private:
  // Hands on the lines of `text` from `pos`; keeps an unfinished line as the
  // carry for the next window.
  void Window(std::string_view text, std::size_t pos, bool final) {
    if (pending_cr_ && pos + width_ <= text.size()) {
      if (UnitAt(text, pos, encoding_) == line_end::kLf) pos += width_;
      pending_cr_ = false;
    }
    if (in_long_line_) pos = ContinueLongLine(text, pos, final);
    if (pos >= text.size() && !final) return;
    std::string_view rest = text.substr(pos);
    if (final) {
      Emit(rest);
      return;
    }
    const std::size_t last = LastLineEndUnit(rest, encoding_);
    if (last != std::string_view::npos) {
      const std::size_t cut = last + width_;
      // A CR that ends the window may be the first half of a CR LF.
      pending_cr_ = cut == rest.size() && UnitAt(rest, last, encoding_) == line_end::kCr;
      Emit(rest.substr(0, cut));
      rest.remove_prefix(cut);
    }
    if (rest.size() > sizes_.long_line) {
      in_long_line_ = true;
      long_length_ = 0;
      sink_.LongLineStart(number_,
                          window_start_ + static_cast<std::uint64_t>(rest.data() - text.data()));
      Piece(rest);
    } else {
      std::memmove(buffer_.get(), rest.data(), rest.size());
      carry_ = rest.size();
    }
  }

  // Goes on with a long line: its pieces up to its line end. Returns where
  // the text after its line end starts.
  std::size_t ContinueLongLine(std::string_view text, std::size_t pos, bool final) {
    const std::string_view rest = text.substr(pos);
    const std::size_t end = FirstLineEndUnit(rest, encoding_);
    if (end == std::string_view::npos) {
      Piece(rest);
      if (final) EndLongLine();
      return text.size();
    }
    Piece(rest.substr(0, end));
    EndLongLine();
    std::size_t after = end + width_;
    if (UnitAt(rest, end, encoding_) == line_end::kCr) {
      if (after + width_ <= rest.size()) {
        if (UnitAt(rest, after, encoding_) == line_end::kLf) after += width_;
      } else if (!final) {
        pending_cr_ = true;
      }
    }
    return pos + after;
  }

  void Piece(std::string_view piece) {
    if (piece.empty()) return;
    sink_.LongLinePiece(piece);
    long_length_ += piece.size();
  }

  void EndLongLine() {
    sink_.LongLineEnd(long_length_);
    in_long_line_ = false;
    ++number_;
  }

  void Emit(std::string_view text) {
    lines_.clear();
    SplitLinesInto(text, encoding_, lines_);
    for (const std::string_view line : lines_) {
      if (line.size() <= sizes_.long_line) {
        sink_.Line(number_++, line);
        continue;
      }
      // Only the last window holds a long line whole.
      sink_.LongLineStart(number_,
                          window_start_ + static_cast<std::uint64_t>(line.data() - buffer_.get()));
      long_length_ = 0;
      in_long_line_ = true;
      Piece(line);
      EndLongLine();
    }
  }

  platform::InputFile& file_;
  Encoding encoding_;
  std::size_t width_;
  StreamSizes sizes_;
  LineSink& sink_;
  std::unique_ptr<char[]> buffer_;
  ItemList lines_;
  std::size_t carry_ = 0;
  std::uint64_t window_start_ = 0;  // file offset of the buffer's first byte
  std::uint64_t number_ = 0;
  bool pending_cr_ = false;
  bool in_long_line_ = false;
  std::uint64_t long_length_ = 0;
  StreamSummary summary_;
};

}  // namespace

StreamSummary StreamLines(platform::InputFile& file, Encoding encoding, StreamSizes sizes,
                          LineSink& sink, const std::function<void(std::uint64_t)>& done) {
  return Streamer(file, encoding, sizes, sink).Run(done);
}

}  // namespace velloran::dedupe
