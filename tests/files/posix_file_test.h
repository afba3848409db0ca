#pragma once

// What the POSIX file tests share: a scratch folder, replacing a file
// through the writer, and looking at files as the system sees them.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/os/posix/file_calls.h"
#include "tests/files/test_file_calls.h"
#include "tests/support/temp_dir.h"

namespace velloran::testing {

// The file's status, symbolic links not followed; all zero when it is missing.
struct stat Lstat(const std::string& path);
// The value of the extended attribute `name`, or "(none)".
std::string Attribute(const std::string& path, const std::string& name);
// What `command` prints on its standard output.
std::string CommandOutput(const std::string& command);
// The access control list as getfacl shows it, without its header.
std::string Acl(const std::string& path);

// Replaces `path` with `content`, written in two parts.
void Replace(const std::string& path, std::string_view content,
             const platform::posix::FileCalls& calls = platform::posix::SystemFileCalls());
// Same, but returns the error's text instead of throwing it ("" on success).
std::string ReplaceError(
    const std::string& path, std::string_view content,
    const platform::posix::FileCalls& calls = platform::posix::SystemFileCalls());

class PosixFileTest : public ::testing::Test {
 protected:
  // A folder that every user may write in, for tests run as two users.
  std::string SharedFolder();

  TempDir dir_;
};

}  // namespace velloran::testing
