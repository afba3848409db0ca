#include "platform/os/posix/file_identity.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/os/posix/paths_and_descriptors.h"
#include "platform/os_messages.h"

namespace velloran::platform::posix {
namespace {

constexpr std::string_view kWhat = os_messages::kCannotWrite;
constexpr const char* kAccessAcl = "system.posix_acl_access";
constexpr const char* kDefaultAcl = "system.posix_acl_default";

// Failures that say this process may not do it, rather than that it failed.
bool NotPermitted(int error_number) {
  return error_number == EPERM || error_number == EACCES || error_number == ENOTSUP;
}

// Calls `get(buffer, size)` (one of the *xattr calls that fill a buffer)
// until the buffer is large enough. An empty result with `error` set to
// ENODATA or ENOTSUP means there is nothing to get.
template <class Get>
std::string GetAll(Get get, int& error) {
  std::string bytes;
  for (;;) {
    const ssize_t size = get(nullptr, 0);
    if (size < 0) break;
    bytes.resize(static_cast<std::size_t>(size));
    const ssize_t got = get(bytes.data(), bytes.size());
    if (got >= 0) {
      bytes.resize(static_cast<std::size_t>(got));
      error = 0;
      return bytes;
    }
    if (errno != ERANGE) break;  // grown meanwhile: ask again
  }
  error = errno;
  return {};
}

// The names in a NUL-separated list of extended attributes.
std::vector<std::string> Names(const std::string& list) {
  std::vector<std::string> names;
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = list.find('\0', start);
    names.push_back(list.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return names;
}

std::vector<std::string> AttributeNamesOf(const std::string& path, const std::string& shown) {
  int error = 0;
  const std::string list = GetAll(
      [&path](char* buffer, std::size_t size) { return ::llistxattr(path.c_str(), buffer, size); },
      error);
  if (error != 0 && error != ENOTSUP) throw Failure(kWhat, shown, error);
  return Names(list);
}

std::vector<std::string> AttributeNamesOf(int fd, const std::string& shown) {
  int error = 0;
  const std::string list = GetAll(
      [fd](char* buffer, std::size_t size) { return ::flistxattr(fd, buffer, size); }, error);
  if (error != 0 && error != ENOTSUP) throw Failure(kWhat, shown, error);
  return Names(list);
}

// The attribute's value, or nothing when the file has no such attribute.
std::string AttributeOf(const std::string& path, const std::string& name, int& error) {
  return GetAll(
      [&path, &name](char* buffer, std::size_t size) {
        return ::lgetxattr(path.c_str(), name.c_str(), buffer, size);
      },
      error);
}

// Each step of a copy: fine, not permitted, or an error to report.
IdentityCopy Check(int result, const std::string& shown) {
  if (result == 0) return IdentityCopy::kComplete;
  if (NotPermitted(errno)) return IdentityCopy::kNotPermitted;
  throw Failure(kWhat, shown, errno);
}

IdentityCopy CopyAttributes(const FileCalls& calls, int fd, const std::string& source,
                            const std::string& shown) {
  const std::vector<std::string> wanted = AttributeNamesOf(source, shown);
  // The new file may have inherited attributes of its own, such as the
  // folder's default access control list.
  for (const std::string& name : AttributeNamesOf(fd, shown)) {
    if (std::find(wanted.begin(), wanted.end(), name) != wanted.end()) continue;
    const int result = ::fremovexattr(fd, name.c_str());
    if (result != 0 && errno == ENODATA) continue;
    if (Check(result, shown) == IdentityCopy::kNotPermitted) return IdentityCopy::kNotPermitted;
  }
  for (const std::string& name : wanted) {
    int error = 0;
    const std::string value = AttributeOf(source, name, error);
    if (error == ENODATA) continue;  // removed meanwhile
    if (error != 0) throw Failure(kWhat, shown, error);
    const int result = calls.Fsetxattr(fd, name.c_str(), value.data(), value.size());
    if (Check(result, shown) == IdentityCopy::kNotPermitted) return IdentityCopy::kNotPermitted;
  }
  return IdentityCopy::kComplete;
}

// The access control list a file created with `mode` gets from its folder's
// default one (the system's little-endian form: a 4-byte version, then
// 8-byte entries of tag, permissions and id): the owner's, the group class's
// and the others' permissions are narrowed to those of `mode`.
std::string AccessAclFromDefault(std::string acl, mode_t mode) {
  constexpr std::size_t kHeader = 4;
  constexpr std::size_t kEntry = 8;
  enum : std::uint16_t { kUserObj = 0x01, kGroupObj = 0x04, kMask = 0x10, kOther = 0x20 };
  auto tag_at = [&acl](std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(acl[at]) |
                                      static_cast<unsigned char>(acl[at + 1]) << 8);
  };
  bool has_mask = false;
  for (std::size_t at = kHeader; at + kEntry <= acl.size(); at += kEntry) {
    has_mask = has_mask || tag_at(at) == kMask;
  }
  for (std::size_t at = kHeader; at + kEntry <= acl.size(); at += kEntry) {
    unsigned allowed = 7;
    switch (tag_at(at)) {
      case kUserObj:
        allowed = (mode >> 6) & 7;
        break;
      case kGroupObj:
        allowed = has_mask ? 7 : (mode >> 3) & 7;
        break;
      case kMask:
        allowed = (mode >> 3) & 7;
        break;
      case kOther:
        allowed = mode & 7;
        break;
      default:
        break;
    }
    acl[at + 2] = static_cast<char>(static_cast<unsigned char>(acl[at + 2]) & allowed);
  }
  return acl;
}

// The process's umask, read without changing it where the system tells it.
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    unsigned mask = 0;
    if (std::sscanf(line.c_str(), "Umask: %o", &mask) == 1) return static_cast<mode_t>(mask);
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

IdentityCopy CopyIdentity(const FileCalls& calls, int fd, const std::string& source,
                          const struct stat& info, const std::string& shown_path) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) throw Failure(kWhat, shown_path, errno);
  // The owner first: changing it may clear the set-user-ID and set-group-ID
  // bits, which the mode then sets again.
  if (now.st_uid != info.st_uid || now.st_gid != info.st_gid) {
    if (Check(calls.Fchown(fd, info.st_uid, info.st_gid), shown_path) ==
        IdentityCopy::kNotPermitted) {
      return IdentityCopy::kNotPermitted;
    }
  }
  if (Check(calls.Fchmod(fd, info.st_mode & 07777), shown_path) == IdentityCopy::kNotPermitted) {
    return IdentityCopy::kNotPermitted;
  }
  if (CopyAttributes(calls, fd, source, shown_path) == IdentityCopy::kNotPermitted) {
    return IdentityCopy::kNotPermitted;
  }
  // The system may drop a bit silently (set-group-ID for a group the
  // process is not in): only what was checked counts.
  if (::fstat(fd, &now) != 0) throw Failure(kWhat, shown_path, errno);
  const bool same = now.st_uid == info.st_uid && now.st_gid == info.st_gid &&
                    (now.st_mode & 07777) == (info.st_mode & 07777);
  return same ? IdentityCopy::kComplete : IdentityCopy::kNotPermitted;
}

void GiveNewFilePermissions(const FileCalls& calls, int fd, const std::string& folder,
                            const std::string& shown_path) {
  constexpr mode_t kNewFileMode = 0666;
  int error = 0;
  const std::string inherited = AttributeOf(folder, kDefaultAcl, error);
  if (error != 0 && error != ENODATA && error != ENOTSUP) {
    throw Failure(kWhat, shown_path, error);
  }
  if (!inherited.empty()) {
    const std::string acl = AccessAclFromDefault(inherited, kNewFileMode);
    if (calls.Fsetxattr(fd, kAccessAcl, acl.data(), acl.size()) != 0) {
      throw Failure(kWhat, shown_path, errno);
    }
    return;
  }
  if (calls.Fchmod(fd, kNewFileMode & ~CurrentUmask()) != 0) {
    throw Failure(kWhat, shown_path, errno);
  }
}

}  // namespace velloran::platform::posix
