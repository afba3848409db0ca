#pragma once

// Which file a write to a path replaces: symbolic links are followed to the
// file they name, so the link stays a link; anything but a regular file is
// refused, so a pipe or a device is never replaced by a file.

#include <sys/stat.h>

#include <string>

namespace velloran::platform::posix {

struct ReplaceTarget {
  std::string path;    // the file to replace, with its symbolic links followed
  std::string folder;  // the folder that holds it
  std::string name;    // its name there
  bool exists = false;
  struct stat info {};  // what it is, when it exists
};

// Throws Error, naming `path`, when it names no regular file to replace: a
// folder, a pipe, a device, a socket, a link that leads nowhere it can be
// followed to, or a file that may not be written.
ReplaceTarget FindReplaceTarget(const std::string& path);

}  // namespace velloran::platform::posix
