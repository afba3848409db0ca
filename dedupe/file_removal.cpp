#include "dedupe/file_removal.h"

#include <utility>

#include "dedupe/item_file.h"

namespace velloran::dedupe {

using platform::WorkStep;

FileRemoval::FileRemoval(std::unique_ptr<ItemFile> file) : file_(std::move(file)) {}
FileRemoval::FileRemoval(FileRemoval&&) noexcept = default;
FileRemoval& FileRemoval::operator=(FileRemoval&&) noexcept = default;
FileRemoval::~FileRemoval() = default;

FileRemoval FileRemoval::FindRepeats(const std::string& path, platform::Progress& progress) {
  platform::ReportOrStop(progress, WorkStep::kReading, 0, 0);
  FileRemoval removal(std::make_unique<ItemFile>(ItemFile::Read(path)));
  const std::uint64_t size = removal.file_->size();
  platform::ReportOrStop(progress, WorkStep::kRemoving, 0, size);
  removal.found_repeats_ = EliminateDuplicates(*removal.file_);
  platform::ReportOrStop(progress, WorkStep::kRemoving, size, size);
  return removal;
}

void FileRemoval::WriteSurvivors(const std::string& output_path,
                                 platform::Progress& progress) const {
  const std::uint64_t size = file_->size();
  platform::ReportOrStop(progress, WorkStep::kWriting, 0, size);
  dedupe::WriteSurvivors(*file_, output_path);
  progress.Report(WorkStep::kWriting, size, size);
}

}  // namespace velloran::dedupe
