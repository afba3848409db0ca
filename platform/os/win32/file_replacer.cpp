// Replacing files on Windows. Only kernel32 is used.
#include "platform/os/win32/file_replacer.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/error.h"
#include "platform/os/win32/win32_text.h"
#include "platform/os_messages.h"

namespace velloran::platform::win32 {
namespace {

constexpr std::string_view kWhat = os_messages::kCannotWrite;
constexpr std::string_view kFolderWhat = os_messages::kCannotWriteInFolder;
// WriteFile takes 32-bit counts; move at most this much per call.
constexpr DWORD kMaxChunk = DWORD{64} << 20;
constexpr unsigned kMaxAttempts = 100;
// Room for the marker, process id and number within any file system's
// limit on a name, whatever the target's own name.
constexpr std::size_t kMaxNamePart = 100;

}  // namespace

FileReplacer::FileReplacer(const std::string& target_path, const FileCalls& calls)
    : calls_(calls), shown_path_(target_path), target_(LongPath(kWhat, target_path)) {
  const DWORD attributes = GetFileAttributesW(target_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    exists_ = true;
    attributes_ = attributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      throw Error(kWhat, shown_path_, os_messages::kPathIsFolder);
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      throw Failure(kWhat, shown_path_, ERROR_ACCESS_DENIED);
    }
  } else if (const DWORD error = GetLastError();
             error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
    throw Failure(kWhat, shown_path_, error);
  }
  PathParts<wchar_t> parts = SplitPath(target_);
  folder_ = std::move(parts.folder);
  name_ = std::move(parts.name);
  CreateTemporaryFile();
}

FileReplacer::~FileReplacer() {
  // A file still marked goes as its handle closes.
  file_.Reset();
  if (!temp_gone_ && !temp_.empty()) DeleteFileW(temp_.c_str());
}

void FileReplacer::CreateTemporaryFile() {
  const std::wstring name_part = name_.substr(0, kMaxNamePart);
  for (unsigned n = 0;; ++n) {
    temp_ = folder_ + L"\\~" + name_part + L".velloran-" + std::to_wstring(GetCurrentProcessId()) +
            L"-" + std::to_wstring(n) + L".tmp";
    file_.Reset(calls_.CreateFileW(temp_.c_str(), GENERIC_WRITE | DELETE, 0, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL));
    if (file_.valid()) break;
    const DWORD error = GetLastError();
    const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    if (!taken || n + 1 >= kMaxAttempts) {
      temp_.clear();
      throw Failure(kFolderWhat, ShownPath(folder_), error);
    }
  }
  // Until it is complete, the file goes when its handle closes, however
  // the process ends. File systems that cannot mark it still write it.
  marked_for_deletion_ = calls_.SetDeleteOnClose(file_.get(), true);
}

void FileReplacer::Write(std::string_view bytes) {
  if (!file_.valid()) throw Error(kWhat, shown_path_, os_messages::kFileClosed);
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kMaxChunk));
    DWORD put = 0;
    if (!calls_.WriteFile(file_.get(), bytes.data(), chunk, &put)) {
      throw Failure(kWhat, shown_path_, GetLastError());
    }
    if (put == 0) throw Failure(kWhat, shown_path_, ERROR_WRITE_FAULT);
    bytes.remove_prefix(put);
  }
}

void FileReplacer::Commit() {
  if (!file_.valid()) throw Error(kWhat, shown_path_, os_messages::kFileClosed);
  if (!calls_.FlushFileBuffers(file_.get())) throw Failure(kWhat, shown_path_, GetLastError());
  if (marked_for_deletion_) {
    if (!calls_.SetDeleteOnClose(file_.get(), false)) {
      const DWORD error = GetLastError();
      file_.Reset();
      throw Failure(kWhat, shown_path_, error);
    }
    marked_for_deletion_ = false;
  }
  if (!CloseHandle(file_.release())) throw Failure(kWhat, shown_path_, GetLastError());
  PutInPlace();
  temp_gone_ = true;
}

void FileReplacer::PutInPlace() {
  if (!exists_) {
    if (!calls_.MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) {
      throw Failure(kWhat, shown_path_, GetLastError());
    }
    return;
  }
  // ReplaceFileW carries these attributes over by itself, but not every
  // implementation of it does (Wine's does not).
  constexpr DWORD kCarried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                             FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if ((attributes_ & kCarried) != 0 && !SetFileAttributesW(temp_.c_str(), attributes_ & kCarried)) {
    throw Failure(kWhat, shown_path_, GetLastError());
  }
  if (calls_.ReplaceFileW(target_.c_str(), temp_.c_str())) return;
  const DWORD error = GetLastError();
  // This failure may come after the old file was removed: then the new
  // content, complete under the temporary name, takes its place by a move,
  // and is kept for the user should that fail too.
  const bool target_gone = GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES;
  if (error != ERROR_UNABLE_TO_MOVE_REPLACEMENT || !target_gone) {
    throw Failure(kWhat, shown_path_, error);
  }
  if (calls_.MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_WRITE_THROUGH)) return;
  temp_gone_ = true;
  throw Error(kWhat, shown_path_,
              os_messages::ReasonWithCopy(SystemMessage(GetLastError()), ShownPath(temp_)));
}

}  // namespace velloran::platform::win32
