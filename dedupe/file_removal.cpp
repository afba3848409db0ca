#include "dedupe/file_removal.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "dedupe/both_cores.h"
#include "dedupe/bounded_removal.h"
#include "dedupe/core_messages.h"
#include "dedupe/detect_encoding.h"
#include "dedupe/item_file.h"
#include "dedupe/memory_budget.h"
#include "dedupe/page_warmer.h"
#include "platform/error.h"
#include "platform/input_file.h"
#include "platform/temporary_file.h"

namespace velloran::dedupe {
namespace {

using platform::WorkStep;

// Reports `step` in bytes of a file of `size` bytes, and stops when asked.
BytesDone Reporter(platform::Progress& progress, WorkStep step, std::uint64_t size) {
  return [&progress, step, size](std::uint64_t done) {
    platform::ReportOrStop(progress, step, done, size);
  };
}

// Reads the `size` bytes `file` reported into one buffer, both cores at
// once: each reads half of them and takes the page faults of its half, so
// that copying the file and clearing fresh pages are shared. A file that
// ends short: Error.
platform::FileBuffer ReadOnBothCores(platform::InputFile& file, std::size_t size,
                                     const BytesDone& reading) {
  constexpr std::size_t kBlock = std::size_t{8} << 20;  // between progress reports
  platform::FileBuffer buffer = platform::CatchOutOfMemory(
      platform::os_messages::kCannotRead, file.path(), [&] { return platform::FileBuffer(size); });
  char* const data = buffer.unfilled();
  const std::size_t half = size / 2;
  RunOnBothCores(2, [&](std::size_t lane, const LaneStop& stop) {
    const std::size_t begin = lane == 0 ? 0 : half;
    const std::size_t end = lane == 0 ? half : size;
    for (std::size_t at = begin; at < end;) {
      const std::size_t take = std::min(end - at, kBlock);
      file.ReadAt(at, data + at, take);
      at += take;
      // Lane 0 reports for both, as they go at about the same pace.
      if (lane == 0) {
        reading(2 * at);
      } else {
        stop.Check();
      }
    }
  });
  buffer.MarkFilled(size);
  reading(size);
  return buffer;
}

// The encoding of `file`, from as many of its first bytes as that takes.
Encoding DetectEncodingOf(platform::InputFile& file) {
  file.Rewind();
  std::string head;
  const Encoding encoding = DetectEncoding([&file, &head](std::size_t size) {
    if (size > head.size()) {
      const std::size_t had = head.size();
      head.resize(size);
      head.resize(had + file.Read(head.data() + had, size - had));
    }
    return std::string_view(head).substr(0, size);
  });
  file.Rewind();
  return encoding;
}

}  // namespace

FileRemoval::FileRemoval() = default;
FileRemoval::FileRemoval(FileRemoval&&) noexcept = default;
FileRemoval& FileRemoval::operator=(FileRemoval&&) noexcept = default;
FileRemoval::~FileRemoval() = default;

FileRemoval FileRemoval::FindRepeats(const std::string& path, platform::Progress& progress,
                                     const RemovalOptions& options) {
  platform::ReportOrStop(progress, WorkStep::kReading, 0, 0);
  return platform::CatchOutOfMemory(core_messages::kCannotRemoveRepeats, path, [&] {
    FileRemoval removal;
    removal.path_ = path;
    platform::InputFile file(path);
    // A 32-bit process cannot hold more than half its address space anyway.
    const std::uint64_t budget = std::min<std::uint64_t>(
        options.memory_budget != 0 ? options.memory_budget : DefaultMemoryBudget(),
        std::numeric_limits<std::size_t>::max() / 2);
    std::uint64_t size = file.size();
    const BytesDone reading = Reporter(progress, WorkStep::kReading, size);

    // The fast path, when the file and then its lines fit the budget, and
    // the file is short enough for its items' 32-bit offsets.
    if (size <= std::min(budget, ItemList::kLongestText)) {
      platform::FileBuffer buffer;
      if (size > 0 && LaneCount() > 1) {
        buffer = ReadOnBothCores(file, static_cast<std::size_t>(size), reading);
      } else {
        WithPagesWarmed([&](PageWarmer& warmer) {
          buffer = platform::ReadToEnd(
              file, static_cast<std::size_t>(budget), reading,
              [&warmer](char* room, std::size_t bytes) { warmer.Offer(room, bytes); });
        });
      }
      // A file written to while it was read would hold old and new bytes.
      if (file.size() > 0) file.CheckUnchanged();
      size = buffer.size();
      const Encoding encoding = DetectEncoding(buffer.view());
      const LineCount lines =
          CountLinesOf(buffer.view().substr(ByteOrderMark(encoding).size()), encoding);
      if (InMemoryCost(size, lines.total) <= budget) {
        removal.size_ = size;
        removal.file_ = std::make_unique<ItemFile>(path, std::move(buffer), encoding, lines);
        platform::ReportOrStop(progress, WorkStep::kRemoving, 0, size);
        removal.found_repeats_ =
            EliminateDuplicates(*removal.file_, Reporter(progress, WorkStep::kRemoving, size));
        platform::ReportOrStop(progress, WorkStep::kRemoving, size, size);
        return removal;
      }
    }

    // The bounded path.
    removal.size_ = size;
    const Encoding encoding = DetectEncodingOf(file);
    const std::string folder = options.temporary_folder.empty() ? platform::TemporaryFolderFor(path)
                                                                : options.temporary_folder;
    removal.bounded_ =
        std::make_unique<BoundedRemoval>(std::move(file), encoding, budget, folder, reading,
                                         Reporter(progress, WorkStep::kRemoving, size));
    removal.found_repeats_ = removal.bounded_->found_repeats();
    platform::ReportOrStop(progress, WorkStep::kRemoving, size, size);
    return removal;
  });
}

void FileRemoval::WriteSurvivors(const std::string& output_path,
                                 platform::Progress& progress) const {
  platform::ReportOrStop(progress, WorkStep::kWriting, 0, size_);
  const BytesDone writing = Reporter(progress, WorkStep::kWriting, size_);
  platform::CatchOutOfMemory(platform::os_messages::kCannotWrite, output_path, [&] {
    if (bounded_ != nullptr) {
      bounded_->WriteSurvivors(output_path, writing);
    } else {
      dedupe::WriteSurvivors(*file_, output_path, writing);
    }
  });
  progress.Report(WorkStep::kWriting, size_, size_);
}

}  // namespace velloran::dedupe
