// Replacing files on Linux and other POSIX systems.
#include "platform/os/posix/file_replacer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/error.h"
#include "platform/os/posix/file_identity.h"
#include "platform/os/posix/paths_and_descriptors.h"
#include "platform/os_messages.h"

namespace velloran::platform::posix {
namespace {

constexpr std::string_view kWhat = os_messages::kCannotWrite;
constexpr std::string_view kFolderWhat = os_messages::kCannotWriteInFolder;
// One write() moves at most this much; Linux stops a little below 2 GiB anyway.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
// An in-place write copies the new content in steps of this size.
constexpr std::size_t kCopyStep = std::size_t{1} << 20;

bool RefusedByFolder(int error_number) {
  return error_number == EACCES || error_number == EPERM || error_number == EROFS;
}

// Where a new content waits when the target's own folder may not be written.
std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && folder[0] == '/' ? folder : "/tmp";
}

}  // namespace

FileReplacer::FileReplacer(const std::string& target_path, const FileCalls& calls)
    : calls_(calls), shown_path_(target_path), target_(FindReplaceTarget(target_path)) {
  // Hard links are names of one file: only writing it in place keeps them.
  in_place_ = target_.exists && target_.info.st_nlink > 1;
  std::string temporary_folder = target_.folder;
  if (target_.exists &&
      ::faccessat(AT_FDCWD, target_.folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    // The folder refuses a new name, but the file itself may be written.
    in_place_ = true;
    temporary_folder = TemporaryFolder();
  }
  temp_.emplace(calls_, temporary_folder, target_.name);
}

int FileReplacer::WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = calls_.Write(fd, bytes.data(), std::min(bytes.size(), kMaxChunk));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    if (put == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return 0;
}

void FileReplacer::Write(std::string_view bytes) {
  if (!temp_) throw Error(kWhat, shown_path_, os_messages::kFileClosed);
  const int error = WriteAll(temp_->fd(), bytes);
  if (error != 0) throw Failure(kWhat, shown_path_, error);
  written_ += bytes.size();
  StartFlushing();
}

// Lets the disk start on what has been written so far, so the flush in
// Commit overlaps the writing instead of following it.
void FileReplacer::StartFlushing() {
#ifdef SYNC_FILE_RANGE_WRITE
  constexpr std::uint64_t kFlushStep = std::uint64_t{8} << 20;
  if (written_ - flush_started_ < kFlushStep) return;
  ::sync_file_range(temp_->fd(), static_cast<off_t>(flush_started_),
                    static_cast<off_t>(written_ - flush_started_), SYNC_FILE_RANGE_WRITE);
  flush_started_ = written_;
#endif
}

void FileReplacer::Commit() {
  if (!temp_) throw Error(kWhat, shown_path_, os_messages::kFileClosed);
  // However Commit ends, the temporary file goes with it.
  struct Closing {
    std::optional<ReplacementFile>& temp;
    ~Closing() { temp.reset(); }
  } closing{temp_};

  if (calls_.Fsync(temp_->fd()) != 0) throw Failure(kWhat, shown_path_, errno);
  if (!in_place_) in_place_ = !ReplaceByRename();
  if (in_place_) ReplaceInPlace();
}

bool FileReplacer::ReplaceByRename() {
  const int fd = temp_->fd();
  if (!target_.exists) {
    GiveNewFilePermissions(calls_, fd, target_.folder, shown_path_);
  } else if (CopyIdentity(calls_, fd, target_.path, target_.info, shown_path_) ==
             IdentityCopy::kNotPermitted) {
    return false;
  }
  const int error = temp_->MoveTo(temp_->folder(), target_.name);
  if (error != 0) {
    if (target_.exists && (error == EACCES || error == EPERM)) return false;
    if (RefusedByFolder(error)) throw Failure(kFolderWhat, target_.folder, error);
    throw Failure(kWhat, shown_path_, error);
  }
  // The rename itself should survive a power loss too. A failure here
  // cannot undo the replacement, so it is not reported.
  ::fsync(temp_->folder());
  return true;
}

// The new content is kept, complete and flushed, under a name of its own
// before the target is touched; if writing the target fails, the error
// names that copy. Interrupts wait until the target is whole again.
void FileReplacer::ReplaceInPlace() {
  const DeferredInterrupts deferred;
  const std::string saved = temp_->Keep(shown_path_);
  const UniqueFd file(calls_.Open(AT_FDCWD, target_.path.c_str(),
                                  O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
  struct stat info {};
  const int open_error = !file.valid() ? errno : ::fstat(file.get(), &info) != 0 ? errno : 0;
  if (open_error != 0 || info.st_dev != target_.info.st_dev || info.st_ino != target_.info.st_ino) {
    // Nothing of the target was touched.
    temp_->Remove();
    if (open_error != 0) throw Failure(kWhat, shown_path_, open_error);
    throw Error(kWhat, shown_path_, os_messages::kFileSwapped);
  }
  const int error = CopyContent(temp_->fd(), file.get());
  if (error != 0) {
    throw Error(kWhat, shown_path_, os_messages::ReasonWithCopy(Reason(error), saved));
  }
  temp_->Remove();
}

// Copies the whole of `from` over `to`, which ends where it does, and
// flushes it. Returns 0 or the errno of the call that failed.
int FileReplacer::CopyContent(int from, int to) {
  std::unique_ptr<char[]> step;
  try {
    step = std::make_unique_for_overwrite<char[]>(kCopyStep);
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  off_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(from, step.get(), kCopyStep, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) break;
    const int error = WriteAll(to, std::string_view(step.get(), static_cast<std::size_t>(got)));
    if (error != 0) return error;
    offset += got;
  }
  if (calls_.Ftruncate(to, offset) != 0) return errno;
  if (calls_.Fsync(to) != 0) return errno;
  return 0;
}

}  // namespace velloran::platform::posix
