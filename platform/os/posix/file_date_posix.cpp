// File dates on Linux and other POSIX systems. Reading files is in
// input_file_posix.cpp, replacing them in file_replacer.cpp.
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/files.h"
#include "platform/os/posix/paths_and_descriptors.h"

namespace velloran::platform {

std::time_t FileDateTime(const std::string& path) {
  posix::CheckPath("Cannot get the date of", path);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    throw posix::Failure("Cannot get the date of", path, errno);
  }
  return info.st_mtime;
}

}  // namespace velloran::platform
