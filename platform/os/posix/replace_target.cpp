#include "platform/os/posix/replace_target.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/error.h"
#include "platform/os/posix/paths_and_descriptors.h"
#include "platform/os_messages.h"

namespace velloran::platform::posix {
namespace {

constexpr std::string_view kWhat = os_messages::kCannotWrite;
// As many links in a row as the system itself follows.
constexpr int kMaxLinks = 40;

// Refuses what is not a regular file, saying what it is instead.
void RequireRegularFile(const std::string& path, mode_t mode) {
  if (S_ISREG(mode)) return;
  if (S_ISDIR(mode)) throw Error(kWhat, path, os_messages::kPathIsFolder);
  if (S_ISFIFO(mode)) throw Error(kWhat, path, os_messages::kPathIsPipe);
  if (S_ISCHR(mode) || S_ISBLK(mode)) {
    throw Error(kWhat, path, os_messages::kPathIsDevice);
  }
  if (S_ISSOCK(mode)) throw Error(kWhat, path, os_messages::kPathIsSocket);
  throw Error(kWhat, path, os_messages::kPathNotRegular);
}

std::string ReadLink(const std::string& path, const std::string& asked) {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) throw Failure(kWhat, asked, errno);
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

// Follows the symbolic links of the last part of `path` to the name that
// holds the file (or would, for a new file).
ReplaceTarget Follow(const std::string& path) {
  ReplaceTarget target;
  target.path = path;
  for (int links = 0;; ++links) {
    if (::lstat(target.path.c_str(), &target.info) != 0) {
      if (errno != ENOENT) throw Failure(kWhat, path, errno);
      target.exists = false;
      return target;
    }
    if (!S_ISLNK(target.info.st_mode)) {
      target.exists = true;
      return target;
    }
    if (links == kMaxLinks) throw Failure(kWhat, path, ELOOP);
    const std::string link = ReadLink(target.path, path);
    target.path = link.starts_with('/') ? link : FolderOf(target.path) + "/" + link;
  }
}

}  // namespace

ReplaceTarget FindReplaceTarget(const std::string& path) {
  CheckPath(kWhat, path);
  if (path.empty() || path.ends_with('/')) throw Failure(kWhat, path, ENOENT);

  // What the path leads to, as opening it would find it.
  struct stat opened {};
  const bool exists = ::stat(path.c_str(), &opened) == 0;
  if (exists) RequireRegularFile(path, opened.st_mode);

  ReplaceTarget target = Follow(path);
  target.folder = FolderOf(target.path);
  target.name = NameOf(target.path);
  if (target.name == "." || target.name == "..") throw Failure(kWhat, path, EISDIR);
  // Links the system resolves by itself (those under /proc) name files that
  // have no path of their own to replace.
  if (exists != target.exists ||
      (exists && (opened.st_dev != target.info.st_dev || opened.st_ino != target.info.st_ino))) {
    throw Error(kWhat, path, os_messages::kPathLinksUnreplaceable);
  }
  if (exists && ::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) {
    throw Failure(kWhat, path, errno);
  }
  return target;
}

}  // namespace velloran::platform::posix
