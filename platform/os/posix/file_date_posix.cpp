// File dates on Linux and other POSIX systems. Reading files is in
// input_file_posix.cpp, replacing them in file_replacer.cpp.
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/files.h"
#include "platform/os/posix/paths_and_descriptors.h"
#include "platform/os_messages.h"

namespace velloran::platform {

std::time_t FileDateTime(const std::string& path) {
  posix::CheckPath(os_messages::kCannotGetDate, path);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    throw posix::Failure(os_messages::kCannotGetDate, path, errno);
  }
  return info.st_mtime;
}

}  // namespace velloran::platform
