#include "platform/os/posix/replacement_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <memory>
#include <utility>

#include "platform/error.h"
#include "platform/os_messages.h"

namespace velloran::platform::posix {
namespace {

constexpr std::string_view kFolderWhat = os_messages::kCannotWriteInFolder;
constexpr std::string_view kMarker = ".velloran-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kSavedSuffix = ".saved";
constexpr unsigned kMaxAttempts = 100;
// Room for the marker, process id and number within any file system's
// limit on a name, whatever the target's own name.
constexpr std::size_t kMaxNamePart = 100;

// At most kMaxNamePart bytes of `name`, not cutting a UTF-8 sequence.
std::string_view Shortened(std::string_view name) {
  if (name.size() <= kMaxNamePart) return name;
  std::size_t end = kMaxNamePart;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

// `prefix`, the (shortened) target name, our marker, this process id, `n`,
// then `suffix`: the name of a file of ours that sits next to the target.
std::string Numbered(std::string_view prefix, std::string_view name, unsigned n,
                     std::string_view suffix) {
  std::string numbered(prefix);
  numbered.append(Shortened(name)).append(kMarker);
  numbered.append(std::to_string(::getpid())).append("-").append(std::to_string(n));
  numbered.append(suffix);
  return numbered;
}

std::string TemporaryName(std::string_view target_name, unsigned n) {
  return Numbered(".", target_name, n, kTemporarySuffix);
}

std::string SavedName(std::string_view target_name, unsigned n) {
  return Numbered("", target_name, n, kSavedSuffix);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The id of the process that named a temporary file `name`, or 0 when
// `name` is not a temporary file's name.
pid_t WriterOf(std::string_view name) {
  if (!name.starts_with('.') || !name.ends_with(kTemporarySuffix)) return 0;
  name.remove_suffix(kTemporarySuffix.size());
  const std::size_t marker = name.rfind(kMarker);
  if (marker == std::string_view::npos) return 0;
  const std::string_view numbers = name.substr(marker + kMarker.size());
  const std::size_t dash = numbers.find('-');
  if (dash == std::string_view::npos) return 0;
  const std::string_view pid = numbers.substr(0, dash);
  if (!AllDigits(pid) || !AllDigits(numbers.substr(dash + 1))) return 0;
  pid_t writer = 0;
  std::from_chars(pid.data(), pid.data() + pid.size(), writer);
  return writer;
}

bool IsGone(pid_t process) {
  return process != ::getpid() && ::kill(process, 0) != 0 && errno == ESRCH;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

void RemoveAbandonedTemporaries(int folder) {
  UniqueFd listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listing.valid()) return;  // a folder that may not be listed keeps what it holds
  const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(listing.get()));
  if (!dir) return;
  listing.release();
  while (const dirent* entry = ::readdir(dir.get())) {
    const pid_t writer = WriterOf(entry->d_name);
    if (writer <= 0 || !IsGone(writer)) continue;
    const UniqueFd file(
        ::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0) continue;
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) continue;
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) continue;
    ::unlinkat(folder, entry->d_name, 0);
  }
}

ReplacementFile::ReplacementFile(const FileCalls& calls, const std::string& folder_path,
                                 std::string_view target_name)
    : calls_(calls), folder_path_(folder_path), target_name_(target_name) {
  PrepareForWriting();
  folder_.Reset(calls_.Open(AT_FDCWD, folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
  if (!folder_.valid() && errno == EACCES) {
    // A folder that may be written but not listed.
    folder_.Reset(calls_.Open(AT_FDCWD, folder_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0));
  }
  if (!folder_.valid()) throw Failure(kFolderWhat, folder_path_, errno);
  RemoveAbandonedTemporaries(folder_.get());

#ifdef O_TMPFILE
  // Naming an unnamed file takes its /proc/self/fd link.
  if (::access("/proc/self/fd", X_OK) == 0) {
    fd_.Reset(calls_.Open(folder_.get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    const bool unsupported = errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL;
    if (!fd_.valid() && !unsupported) throw Failure(kFolderWhat, folder_path_, errno);
  }
#endif
  if (!fd_.valid()) CreateNamed();
  // The lock tells other processes cleaning the folder that this file's
  // writer still runs; it goes when the writer does, however it ends.
  ::flock(fd_.get(), LOCK_EX | LOCK_NB);
}

void ReplacementFile::CreateNamed() {
  for (unsigned n = 0;; ++n) {
    std::string name = TemporaryName(target_name_, n);
    fd_.Reset(calls_.Open(folder_.get(), name.c_str(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd_.valid()) {
      name_ = std::move(name);
      remove_name_ = true;
      removed_on_interrupt_ = std::make_unique<RemovedOnInterrupt>(folder_.get(), name_);
      return;
    }
    if (errno != EEXIST || n + 1 >= kMaxAttempts) throw Failure(kFolderWhat, folder_path_, errno);
  }
}

ReplacementFile::~ReplacementFile() {
  if (remove_name_) ::unlinkat(folder_.get(), name_.c_str(), 0);
}

template <class NameFor>
int ReplacementFile::Name(NameFor name_for) {
  const std::string own_link = "/proc/self/fd/" + std::to_string(fd_.get());
  const bool unnamed = name_.empty();
  for (unsigned n = 0; n < kMaxAttempts; ++n) {
    std::string name = name_for(n);
    const int linked =
        unnamed ? calls_.Link(AT_FDCWD, own_link.c_str(), folder_.get(), name.c_str(),
                              AT_SYMLINK_FOLLOW)
                : calls_.Link(folder_.get(), name_.c_str(), folder_.get(), name.c_str(), 0);
    if (linked == 0) {
      if (remove_name_) ::unlinkat(folder_.get(), name_.c_str(), 0);
      name_ = std::move(name);
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

int ReplacementFile::MoveTo(int to_folder, const std::string& to_name) {
  if (name_.empty()) {
    const int error = Name([this](unsigned n) { return TemporaryName(target_name_, n); });
    if (error != 0) return error;
    remove_name_ = true;
    removed_on_interrupt_ = std::make_unique<RemovedOnInterrupt>(folder_.get(), name_);
  }
  if (calls_.Rename(folder_.get(), name_.c_str(), to_folder, to_name.c_str()) != 0) return errno;
  remove_name_ = false;
  removed_on_interrupt_.reset();
  name_.clear();
  return 0;
}

std::string ReplacementFile::Keep(const std::string& shown_path) {
  const int error = Name([this](unsigned n) { return SavedName(target_name_, n); });
  if (error != 0) throw Failure(os_messages::kCannotWrite, shown_path, error);
  remove_name_ = false;
  removed_on_interrupt_.reset();
  // The kept file must outlive a crash as surely as the target would.
  if (calls_.Fsync(folder_.get()) != 0 && errno != EBADF && errno != EINVAL) {
    const int fsync_error = errno;
    Remove();
    throw Failure(os_messages::kCannotWrite, shown_path, fsync_error);
  }
  return folder_path_ + "/" + name_;
}

void ReplacementFile::Remove() {
  if (!name_.empty()) ::unlinkat(folder_.get(), name_.c_str(), 0);
  name_.clear();
}

}  // namespace velloran::platform::posix
