#include "tests/files/posix_file_test.h"

#include <fcntl.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "platform/error.h"
#include "platform/os/posix/file_replacer.h"

namespace velloran::testing {

struct stat Lstat(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return {};
  return info;
}

std::string Attribute(const std::string& path, const std::string& name) {
  char value[256];
  const ssize_t size = ::lgetxattr(path.c_str(), name.c_str(), value, sizeof value);
  if (size < 0) return "(none)";
  return std::string(value, static_cast<std::size_t>(size));
}

std::string CommandOutput(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  std::string output;
  char chunk[4096];
  while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe))
    output.append(chunk, got);
  ::pclose(pipe);
  return output;
}

std::string Acl(const std::string& path) {
  return CommandOutput("getfacl --omit-header --absolute-names '" + path + "' 2>&1");
}

void Replace(const std::string& path, std::string_view content,
             const platform::posix::FileCalls& calls) {
  platform::posix::FileReplacer replacer(path, calls);
  replacer.Write(content.substr(0, content.size() / 2));
  replacer.Write(content.substr(content.size() / 2));
  replacer.Commit();
}

std::string ReplaceError(const std::string& path, std::string_view content,
                         const platform::posix::FileCalls& calls) {
  try {
    Replace(path, content, calls);
    return "";
  } catch (const platform::Error& e) {
    return e.what();
  }
}

std::string PosixFileTest::SharedFolder() {
  std::string folder = dir_.File("shared");
  std::filesystem::create_directory(folder);
  ::chmod(folder.c_str(), 0777);
  ::chmod(dir_.path().c_str(), 0755);
  return folder;
}

}  // namespace velloran::testing
