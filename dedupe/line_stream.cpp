#include "dedupe/line_stream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "dedupe/both_cores.h"
#include "dedupe/line_end.h"
#include "dedupe/line_hash.h"
#include "dedupe/prefetch.h"

namespace velloran::dedupe {
namespace {

// Called after each window with the bytes read so far and whether it was
// the last.
using WindowDone = std::function<void(std::uint64_t bytes, bool last)>;

// Cuts the file into windows of a block each, plus the unfinished line
// carried over from the window before, and hands on their lines. With two
// buffers, the windows take turns in them, so the lines of one window stay
// valid while the next is read.
class Streamer {
 public:
  Streamer(platform::InputFile& file, Encoding encoding, StreamSizes sizes, StreamRange range,
           LineSink& sink, std::size_t buffers)
      : file_(file),
        encoding_(encoding),
        width_(UnitWidth(encoding)),
        sizes_(sizes),
        range_(range),
        sink_(sink) {
    for (std::size_t i = 0; i < buffers; ++i) {
      buffers_.push_back(std::make_unique_for_overwrite<char[]>(sizes.block + sizes.long_line));
    }
  }

  StreamSummary Run(const WindowDone& done) {
    if (range_.end == StreamRange::kToEnd) file_.Rewind();
    std::uint64_t position = range_.begin;
    std::size_t pos = range_.begin == 0 ? ByteOrderMark(encoding_).size() : 0;
    for (std::size_t window = 0;; ++window) {
      buffer_ = buffers_[window % buffers_.size()].get();
      if (carry_ > 0) std::memmove(buffer_, carry_from_, carry_);
      const std::size_t want = ReadSize(position);
      const std::size_t got = Fill(position, buffer_ + carry_, want);
      position += got;
      Digest(std::string_view(buffer_ + carry_, got), position);
      summary_.bytes += got;
      const bool final = got < want || position == range_.end;
      window_start_ = position - got - carry_;
      const std::string_view text(buffer_, carry_ + got);
      carry_ = 0;
      Window(text, pos, final);
      done(summary_.bytes, final);
      if (final) break;
      pos = 0;
    }
    summary_.lines = number_;
    if (digest_before_cut_) {
      summary_.digest = JoinSummaries({0, 0, *digest_before_cut_}, summary_).digest;
    }
    return summary_;
  }

 private:
  // Bytes to read at `position`: a block, or fewer to stop at the cut or
  // at the range's end.
  std::size_t ReadSize(std::uint64_t position) const {
    const std::uint64_t stop =
        position < range_.cut ? std::min(range_.cut, range_.end) : range_.end;
    return static_cast<std::size_t>(std::min<std::uint64_t>(sizes_.block, stop - position));
  }

  std::size_t Fill(std::uint64_t position, char* data, std::size_t want) {
    if (range_.end == StreamRange::kToEnd) return file_.Read(data, want);
    file_.ReadAt(position, data, want);
    return want;
  }

  // Folds the bytes just read, which end at `position`, into the digest.
  void Digest(std::string_view bytes, std::uint64_t position) {
    if (!bytes.empty()) {
      summary_.digest = line_hash::Mix(summary_.digest ^ HashLine(bytes), line_hash::kOdd2);
    }
    if (position == range_.cut && !digest_before_cut_) {
      digest_before_cut_ = summary_.digest;
      summary_.digest = 0;
    }
  }

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
      // Moved to the start of the next window's buffer once it is free.
      carry_from_ = rest.data();
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
    SplitLinesInto(text, encoding_, lines_);
    for (const std::string_view line : lines_) {
      if (line.size() <= sizes_.long_line) {
        sink_.Line(number_++, line);
        continue;
      }
      // Only the last window holds a long line whole.
      sink_.LongLineStart(number_,
                          window_start_ + static_cast<std::uint64_t>(line.data() - buffer_));
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
  StreamRange range_;
  LineSink& sink_;
  std::vector<std::unique_ptr<char[]>> buffers_;
  char* buffer_ = nullptr;  // this window's
  ItemList lines_;
  const char* carry_from_ = nullptr;
  std::size_t carry_ = 0;
  std::uint64_t window_start_ = 0;  // file offset of the buffer's first byte
  std::uint64_t number_ = 0;
  bool pending_cr_ = false;
  bool in_long_line_ = false;
  std::uint64_t long_length_ = 0;
  StreamSummary summary_;
  std::optional<std::uint64_t> digest_before_cut_;
};

// What a sink was told, kept to be told again later.
struct SinkCall {
  enum class Kind : std::uint8_t { kLine, kLongLineStart, kLongLinePiece, kLongLineEnd };
  Kind kind;
  std::uint64_t value;   // the line's number, or the long line's length
  std::uint64_t offset;  // a long line's start, or a line's hash when the sink wants it
  std::string_view text;
};

class Recorder final : public LineSink {
 public:
  explicit Recorder(bool hash_lines) : hash_lines_(hash_lines) {}
  void Line(std::uint64_t number, std::string_view line) override {
    const std::uint64_t hash = hash_lines_ && !line.empty() ? HashLine(line) : 0;
    PrefetchAhead();
    calls_->push_back({SinkCall::Kind::kLine, number, hash, line});
  }
  void LongLineStart(std::uint64_t number, std::uint64_t offset) override {
    calls_->push_back({SinkCall::Kind::kLongLineStart, number, offset, {}});
  }
  void LongLinePiece(std::string_view piece) override {
    calls_->push_back({SinkCall::Kind::kLongLinePiece, 0, 0, piece});
  }
  void LongLineEnd(std::uint64_t length) override {
    calls_->push_back({SinkCall::Kind::kLongLineEnd, length, 0, {}});
  }
  void RecordInto(std::vector<SinkCall>& calls) { calls_ = &calls; }

 private:
  // Asks for the room of a call a few cache lines on: the other lane read
  // it last, and fetching it only when written would stall every call.
  void PrefetchAhead() const {
    constexpr std::size_t kAhead = 16;
    if (calls_->size() + kAhead < calls_->capacity()) {
      PrefetchForWriting(calls_->data() + calls_->size() + kAhead);
    }
  }

  bool hash_lines_;
  std::vector<SinkCall>* calls_ = nullptr;
};

void Replay(const std::vector<SinkCall>& calls, LineSink& sink) {
  const bool hashed = sink.WantsLineHashes();
  for (const SinkCall& call : calls) {
    switch (call.kind) {
      case SinkCall::Kind::kLine:
        if (hashed) {
          sink.HashedLine(call.value, call.text, call.offset);
        } else {
          sink.Line(call.value, call.text);
        }
        break;
      case SinkCall::Kind::kLongLineStart:
        sink.LongLineStart(call.value, call.offset);
        break;
      case SinkCall::Kind::kLongLinePiece:
        sink.LongLinePiece(call.text);
        break;
      case SinkCall::Kind::kLongLineEnd:
        sink.LongLineEnd(call.value);
        break;
    }
  }
}

// Two windows' worth of recorded lines, passed from the lane that reads to
// the lane that hands them on. A window's slot is free again once its lines
// have been handed on, and only then is its buffer read into again.
class WindowQueue {
 public:
  struct Window {
    std::vector<SinkCall> calls;
    std::uint64_t bytes = 0;
    bool last = false;
  };

  // The reading lane: the slot for window `number`, once it is free.
  Window& Fill(std::size_t number, const LaneStop& stop) {
    Window& window = windows_[number % 2];
    Wait(stop, [&] { return !full_[number % 2]; });
    window.calls.clear();
    return window;
  }
  void Publish(std::size_t number) { Set(number, true); }

  // The handing-on lane: window `number`, once it has been read.
  const Window& Take(std::size_t number, const LaneStop& stop) {
    Wait(stop, [&] { return full_[number % 2]; });
    return windows_[number % 2];
  }
  void Release(std::size_t number) { Set(number, false); }

 private:
  // Waits for `ready`, looking now and then whether the other lane failed.
  template <class Ready>
  void Wait(const LaneStop& stop, Ready ready) {
    std::unique_lock lock(mutex_);
    while (!changed_.wait_for(lock, std::chrono::milliseconds(5), ready)) stop.Check();
  }
  void Set(std::size_t number, bool full) {
    {
      const std::lock_guard lock(mutex_);
      full_[number % 2] = full;
    }
    changed_.notify_one();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  Window windows_[2];
  bool full_[2] = {false, false};
};

// Lane 1 reads the windows, cuts them into lines and records them; lane 0,
// the calling thread, hands them on to `sink` and reports progress. False,
// having read nothing, when no second thread can be started.
bool StreamOnBothCores(platform::InputFile& file, Encoding encoding, StreamSizes sizes,
                       StreamRange range, LineSink& sink,
                       const std::function<void(std::uint64_t)>& done, StreamSummary& summary) {
  WindowQueue queue;
  Recorder recorder(sink.WantsLineHashes());
  // Outlives both lanes: lane 0 hands on lines from its buffers after lane
  // 1 has read the last window.
  Streamer streamer(file, encoding, sizes, range, recorder, 2);
  return RunBothCoresTogether([&](std::size_t lane, const LaneStop& stop) {
    if (lane == 1) {
      std::size_t number = 0;
      WindowQueue::Window* window = &queue.Fill(number, stop);
      recorder.RecordInto(window->calls);
      summary = streamer.Run([&](std::uint64_t bytes, bool last) {
        window->bytes = bytes;
        window->last = last;
        queue.Publish(number++);
        if (last) return;
        window = &queue.Fill(number, stop);
        recorder.RecordInto(window->calls);
      });
      return;
    }
    for (std::size_t number = 0;; ++number) {
      const WindowQueue::Window& window = queue.Take(number, stop);
      Replay(window.calls, sink);
      done(window.bytes);
      const bool last = window.last;
      queue.Release(number);
      if (last) return;
    }
  });
}

}  // namespace

StreamSummary JoinSummaries(const StreamSummary& first, const StreamSummary& second) {
  return {first.bytes + second.bytes, first.lines + second.lines,
          line_hash::Mix(first.digest ^ line_hash::kOdd3, second.digest ^ line_hash::kOdd1)};
}

StreamSummary StreamLines(platform::InputFile& file, Encoding encoding, StreamSizes sizes,
                          StreamRange range, LineSink& sink,
                          const std::function<void(std::uint64_t)>& done, std::size_t lanes) {
  StreamSummary summary;
  if (lanes >= 2 && StreamOnBothCores(file, encoding, sizes, range, sink, done, summary)) {
    return summary;
  }
  return Streamer(file, encoding, sizes, range, sink, 1).Run([&done](std::uint64_t bytes, bool) {
    done(bytes);
  });
}

StreamSummary StreamLines(platform::InputFile& file, Encoding encoding, StreamSizes sizes,
                          LineSink& sink, const std::function<void(std::uint64_t)>& done,
                          std::size_t lanes) {
  return StreamLines(file, encoding, sizes, StreamRange{}, sink, done, lanes);
}

StreamSummary StreamLines(platform::InputFile& file, Encoding encoding, StreamSizes sizes,
                          LineSink& sink, const std::function<void(std::uint64_t)>& done) {
  return StreamLines(file, encoding, sizes, sink, done, LaneCount());
}

}  // namespace velloran::dedupe
