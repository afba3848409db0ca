// Every system call that replacing a file makes may fail: whichever does,
// the target keeps its old content (or, written in place, the error names a
// complete copy of the new one), and no temporary file is left beside it.
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <ostream>
#include <string>

#include "platform/os/posix/file_replacer.h"
#include "tests/files/posix_file_test.h"
#include "tests/support/child_process.h"

namespace velloran::testing {
namespace {

namespace fs = std::filesystem;

enum Call {
  kOpen,
  kWrite,
  kFsync,
  kFtruncate,
  kFchmod,
  kFchown,
  kFsetxattr,
  kRename,
  kLink,
  kCalls
};
constexpr const char* kCallNames[kCalls] = {"open",   "write",     "fsync",  "ftruncate", "fchmod",
                                            "fchown", "fsetxattr", "rename", "link"};

// Counts the calls of each kind and makes the `nth` call of kind `failing`
// (counted from 1) fail with `error`; with `named`, as on file systems
// without unnamed temporary files.
class FaultyCalls : public TestFileCalls {
 public:
  FaultyCalls(bool named, Call failing = kCalls, int nth = 0, int error = EIO)
      : TestFileCalls(named), failing_(failing), nth_(nth), error_(error) {}

  int count(Call call) const { return counts_[call]; }

  int Open(int folder, const char* path, int flags, mode_t mode) const override {
    return Fails(kOpen) ? -1 : TestFileCalls::Open(folder, path, flags, mode);
  }
  ssize_t Write(int fd, const void* bytes, std::size_t size) const override {
    return Fails(kWrite) ? -1 : FileCalls::Write(fd, bytes, size);
  }
  int Fsync(int fd) const override { return Fails(kFsync) ? -1 : FileCalls::Fsync(fd); }
  int Ftruncate(int fd, off_t length) const override {
    return Fails(kFtruncate) ? -1 : FileCalls::Ftruncate(fd, length);
  }
  int Fchmod(int fd, mode_t mode) const override {
    return Fails(kFchmod) ? -1 : FileCalls::Fchmod(fd, mode);
  }
  int Fchown(int fd, uid_t owner, gid_t group) const override {
    return Fails(kFchown) ? -1 : FileCalls::Fchown(fd, owner, group);
  }
  int Fsetxattr(int fd, const char* name, const void* value, std::size_t size) const override {
    return Fails(kFsetxattr) ? -1 : FileCalls::Fsetxattr(fd, name, value, size);
  }
  int Rename(int from_folder, const char* from, int to_folder, const char* to) const override {
    return Fails(kRename) ? -1 : FileCalls::Rename(from_folder, from, to_folder, to);
  }
  int Link(int from_folder, const char* from, int to_folder, const char* to,
           int flags) const override {
    return Fails(kLink) ? -1 : FileCalls::Link(from_folder, from, to_folder, to, flags);
  }

 private:
  bool Fails(Call call) const {
    if (++counts_[call] != nth_ || call != failing_) return false;
    errno = error_;
    return true;
  }

  Call failing_;
  int nth_;
  int error_;
  mutable std::array<int, kCalls> counts_{};
};

constexpr std::string_view kOld = "the old content, which is the longer one";
constexpr std::string_view kNew = "the new content";

struct Scenario {
  const char* name;
  bool exists;
  bool hard_linked;  // the second name makes the writer write in place
  bool named;
};

class FaultTest : public PosixFileTest, public ::testing::WithParamInterface<Scenario> {
 protected:
  std::string Target() const { return dir_.File("target.txt"); }

  void SetUpTarget() {
    fs::remove_all(dir_.path());
    fs::create_directories(dir_.path());
    if (!GetParam().exists) return;
    WriteBytes(Target(), kOld);
    ::chmod(Target().c_str(), 0640);
    ::setxattr(Target().c_str(), "user.origin", "camera", 6, 0);
    // Root gives the file another owner and group, which the new file then
    // has to be given too.
    if (IsRoot()) ::chown(Target().c_str(), Nobody().uid, 100);
    if (GetParam().hard_linked) fs::create_hard_link(Target(), dir_.path() / "link.txt");
  }

  std::string ListingBefore() const {
    if (!GetParam().exists) return "";
    return GetParam().hard_linked ? "link.txt target.txt" : "target.txt";
  }

  // The folder and the target after a replace that failed with `error`.
  void ExpectSoundAfterFailure(const std::string& error, const std::string& failed) {
    const std::string kept_copy_says = "The complete new content is in \"";
    const std::size_t copy_at = error.find(kept_copy_says);
    if (copy_at == std::string::npos) {
      EXPECT_EQ(ListFolder(dir_.path()), ListingBefore()) << failed;
      if (GetParam().exists) {
        EXPECT_EQ(ReadBytes(Target()), kOld) << failed;
      }
      return;
    }
    // Writing in place failed after the new content was kept: the copy
    // named is complete, and it is the only other file.
    const std::size_t start = copy_at + kept_copy_says.size();
    const std::string copy = error.substr(start, error.find('"', start) - start);
    EXPECT_EQ(ReadBytes(copy), kNew) << failed;
    const std::string copy_name = fs::path(copy).filename().string();
    EXPECT_EQ(ListFolder(dir_.path()), ListingBefore() + " " + copy_name) << failed;
  }
};

TEST_P(FaultTest, AnyFailingCallLeavesTheTargetSound) {
  SetUpTarget();
  const FaultyCalls counting(GetParam().named);
  ASSERT_EQ(ReplaceError(Target(), kNew, counting), "");
  ASSERT_EQ(ReadBytes(Target()), kNew);

  for (int call = 0; call < kCalls; ++call) {
    for (int nth = 1; nth <= counting.count(static_cast<Call>(call)); ++nth) {
      const std::string failed = std::string(kCallNames[call]) + " #" + std::to_string(nth);
      SetUpTarget();
      const FaultyCalls faulty(GetParam().named, static_cast<Call>(call), nth);
      const std::string error = ReplaceError(Target(), kNew, faulty);
      if (error.empty()) {
        // A failure the writer may rightly pass over (flushing a folder
        // after the rename): the new content is in place all the same.
        EXPECT_EQ(ReadBytes(Target()), kNew) << failed;
        EXPECT_EQ(ListFolder(dir_.path()), ListingBefore().empty() ? "target.txt" : ListingBefore())
            << failed;
        continue;
      }
      EXPECT_NE(error.find("Input/output error"), std::string::npos) << failed << ": " << error;
      ExpectSoundAfterFailure(error, failed);
    }
  }
}

// Targets that a rename replaces, unless something of theirs may not be copied.
class RenamedTargetTest : public FaultTest {};

TEST_P(RenamedTargetTest, WhatMayNotBeCopiedIsKeptByWritingInPlace) {
  for (const Call refused : {kFchown, kFchmod, kFsetxattr}) {
    SetUpTarget();
    // As if the file had another owner, or an attribute this user may
    // not set.
    if (refused == kFchown && !IsRoot()) continue;  // only root sets up another owner
    const ino_t inode = Lstat(Target()).st_ino;
    const FaultyCalls faulty(GetParam().named, refused, 1, EPERM);
    EXPECT_EQ(ReplaceError(Target(), kNew, faulty), "") << kCallNames[refused];
    EXPECT_EQ(ReadBytes(Target()), kNew);
    EXPECT_EQ(Lstat(Target()).st_ino, inode);
    EXPECT_EQ(Lstat(Target()).st_mode & 07777, 0640u);
    EXPECT_EQ(Attribute(Target(), "user.origin"), "camera");
    EXPECT_EQ(ListFolder(dir_.path()), "target.txt");
  }
}

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

INSTANTIATE_TEST_SUITE_P(Files, RenamedTargetTest,
                         ::testing::Values(Scenario{"Existing", true, false, false},
                                           Scenario{"ExistingNamed", true, false, true}),
                         [](const auto& test) { return std::string(test.param.name); });

INSTANTIATE_TEST_SUITE_P(Files, FaultTest,
                         ::testing::Values(Scenario{"New", false, false, false},
                                           Scenario{"Existing", true, false, false},
                                           Scenario{"ExistingNamed", true, false, true},
                                           Scenario{"HardLinked", true, true, false},
                                           Scenario{"HardLinkedNamed", true, true, true}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace velloran::testing
