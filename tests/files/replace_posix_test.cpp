// Replacing a file keeps what makes it that file: owner, group, mode, access
// control list, extended attributes, links; and never replaces what is not
// a regular file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/os/posix/file_replacer.h"
#include "tests/files/posix_file_test.h"
#include "tests/support/child_process.h"

namespace velloran::testing {
namespace {

namespace fs = std::filesystem;

using ReplaceTest = PosixFileTest;

TEST_F(ReplaceTest, TheModeAndExtendedAttributesStay) {
  const std::string path = dir_.File("kept.txt");
  for (const mode_t mode : {0600, 0640, 0604, 0660, 0755, 02750}) {
    WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    ASSERT_EQ(::setxattr(path.c_str(), "user.origin", "camera", 6, 0), 0);
    Replace(path, "new");
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(Lstat(path).st_mode & 07777, mode) << std::oct << mode;
    EXPECT_EQ(Attribute(path, "user.origin"), "camera");
    EXPECT_EQ(ListFolder(dir_.path()), "kept.txt");
    fs::remove(path);
  }
}

TEST_F(ReplaceTest, TheAccessControlListStays) {
  const std::string path = dir_.File("acl.txt");
  WriteBytes(path, "old");
  // A named user who may write, and the owning group denied.
  ASSERT_EQ(std::system(("setfacl -m u:nobody:rw,g::-,o::- '" + path + "'").c_str()), 0);
  const std::string before = Acl(path);
  ASSERT_NE(before.find("user:nobody:rw-"), std::string::npos) << before;
  Replace(path, "new");
  EXPECT_EQ(Acl(path), before);
  EXPECT_EQ(ReadBytes(path), "new");
}

TEST_F(ReplaceTest, AnAttributeTheOldFileLacksIsNotAdded) {
  // The folder's default list would reach a new file, but the old file
  // has none, so its replacement has none either.
  const std::string path = dir_.File("plain.txt");
  WriteBytes(path, "old");
  ::chmod(path.c_str(), 0640);
  const std::string before = Acl(path);
  ASSERT_EQ(std::system(("setfacl -d -m u:nobody:rwx '" + Utf8(dir_.path()) + "'").c_str()), 0);
  Replace(path, "new");
  EXPECT_EQ(Acl(path), before);
}

TEST_F(ReplaceTest, ANewFileGetsWhatAnyNewFileThereGets) {
  const mode_t old_umask = ::umask(027);
  Replace(dir_.File("new.txt"), "new");
  EXPECT_EQ(Lstat(dir_.File("new.txt")).st_mode & 07777, 0640);
  ::umask(old_umask);

  // With a default access control list on the folder, as a file created
  // by any other program.
  ASSERT_EQ(
      std::system(("setfacl -d -m u:nobody:rwx,g::r-x,o::r '" + Utf8(dir_.path()) + "'").c_str()),
      0);
  Replace(dir_.File("inherits.txt"), "new");
  ::close(::open(dir_.File("created.txt").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
  EXPECT_EQ(Acl(dir_.File("inherits.txt")), Acl(dir_.File("created.txt")));
  EXPECT_EQ(Lstat(dir_.File("inherits.txt")).st_mode & 07777,
            Lstat(dir_.File("created.txt")).st_mode & 07777);
}

TEST_F(ReplaceTest, RootKeepsTheOwnerAndGroupOfAnotherUsersFile) {
  if (!IsRoot()) GTEST_SKIP() << "needs root";
  const std::string path = dir_.File("theirs.txt");
  WriteBytes(path, "old");
  ASSERT_EQ(::chown(path.c_str(), 65534, 100), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  Replace(path, "new");
  const struct stat info = Lstat(path);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 100u);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(InChild([&] { return ReadBytes(path) == "new" ? "" : "unreadable"; }, Nobody()), "");
}

TEST_F(ReplaceTest, AGroupMemberWritesASharedFileInPlace) {
  if (!IsRoot()) GTEST_SKIP() << "needs root to set up two users";
  // Owned by daemon, shared with the group users, written by nobody, a
  // member: nobody may not give a new file daemon's name, so the file
  // itself is written.
  const std::string path = SharedFolder() + "/shared.txt";
  WriteBytes(path, "old content, longer than the new");
  ASSERT_EQ(::chown(path.c_str(), 1, 100), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0660), 0);
  const ino_t inode = Lstat(path).st_ino;
  const UserIdentity member{65534, 65534, {100}};
  EXPECT_EQ(InChild([&] { return ReplaceError(path, "new"); }, member), "");
  const struct stat info = Lstat(path);
  EXPECT_EQ(ReadBytes(path), "new");
  EXPECT_EQ(info.st_ino, inode);
  EXPECT_EQ(info.st_uid, 1u);
  EXPECT_EQ(info.st_gid, 100u);
  EXPECT_EQ(info.st_mode & 07777, 0660u);
  EXPECT_EQ(ListFolder(fs::path(path).parent_path()), "shared.txt");
}

TEST_F(ReplaceTest, AWritableFileInAFolderThatIsNotIsWrittenInPlace) {
  const std::string folder = SharedFolder();
  if (IsRoot()) ::chown(folder.c_str(), Nobody().uid, Nobody().gid);
  const std::string path = folder + "/inside.txt";
  const std::string outcome = AsOrdinaryUser([&]() -> std::string {
    WriteBytes(path, "old");
    ::chmod(folder.c_str(), 0555);
    const ino_t inode = Lstat(path).st_ino;
    std::string error = ReplaceError(path, "new");
    if (!error.empty()) return error;
    if (ReadBytes(path) != "new" || Lstat(path).st_ino != inode) return "not written in place";
    // The copy it was written from waited in the temporary folder, and is gone.
    const char* temporary = std::getenv("TMPDIR");
    for (const auto& entry : fs::directory_iterator(temporary ? temporary : "/tmp")) {
      if (entry.path().filename().string().starts_with("inside.txt.velloran-")) return "copy left";
    }

    // A new file there: the folder refuses, and is named.
    error = ReplaceError(folder + "/new.txt", "new");
    if (error != "Cannot write in the folder \"" + folder + "\": Permission denied") return error;
    // A file that may not be written either: the file refuses, and is named.
    ::chmod(path.c_str(), 0444);
    error = ReplaceError(path, "newer");
    if (error != "Cannot write \"" + path + "\": Permission denied") return error;
    return ReadBytes(path) == "new" ? "" : "changed";
  });
  ::chmod(folder.c_str(), 0777);
  EXPECT_EQ(outcome, "");
  EXPECT_EQ(ListFolder(folder), "inside.txt");
}

TEST_F(ReplaceTest, SymbolicLinksAreFollowedAndStay) {
  fs::create_directory(dir_.path() / "real");
  const std::string real = dir_.File("real") + "/file.txt";
  WriteBytes(real, "old");
  fs::create_symlink("real/file.txt", dir_.path() / "relative");
  fs::create_symlink(dir_.path() / "relative", dir_.path() / "chained");
  fs::create_symlink("real/later.txt", dir_.path() / "dangling");

  Replace(dir_.File("relative"), "first");
  EXPECT_EQ(ReadBytes(real), "first");
  Replace(dir_.File("chained"), "second");
  EXPECT_EQ(ReadBytes(real), "second");
  Replace(dir_.File("dangling"), "created");
  EXPECT_EQ(ReadBytes(dir_.File("real") + "/later.txt"), "created");

  EXPECT_EQ(fs::read_symlink(dir_.path() / "relative"), "real/file.txt");
  EXPECT_EQ(fs::read_symlink(dir_.path() / "dangling"), "real/later.txt");
  EXPECT_TRUE(fs::is_symlink(dir_.path() / "chained"));
  EXPECT_EQ(ListFolder(dir_.path() / "real"), "file.txt later.txt");

  fs::create_symlink("loop", dir_.path() / "loop");
  EXPECT_NE(ReplaceError(dir_.File("loop"), "x").find("Too many levels of symbolic links"),
            std::string::npos);
}

TEST_F(ReplaceTest, HardLinksStayOneFile) {
  const std::string path = dir_.File("one.txt");
  WriteBytes(path, "old content");
  fs::create_hard_link(path, dir_.path() / "two.txt");
  Replace(path, "new");
  EXPECT_EQ(ReadBytes(dir_.File("two.txt")), "new");
  EXPECT_EQ(Lstat(path).st_ino, Lstat(dir_.File("two.txt")).st_ino);
  EXPECT_EQ(Lstat(path).st_nlink, 2u);
  EXPECT_EQ(ListFolder(dir_.path()), "one.txt two.txt");
}

TEST_F(ReplaceTest, WhatIsNotARegularFileIsRefusedAndLeftAsItIs) {
  const std::string fifo = dir_.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  fs::create_symlink("/dev/null", dir_.path() / "to-null");
  const std::string socket_path = dir_.File("socket");
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socket_path.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  const std::string pipe_link = "/proc/self/fd/" + std::to_string(pipe_ends[1]);
  fs::create_directory(dir_.path() / "folder");

  const struct {
    std::string path;
    std::string says;
  } refused[] = {
      {fifo, "a pipe"},          {"/dev/null", "a device"}, {dir_.File("to-null"), "a device"},
      {socket_path, "a socket"}, {pipe_link, "a pipe"},     {dir_.File("folder"), "a folder"},
  };
  for (const auto& [path, says] : refused) {
    const std::string error = ReplaceError(path, "new");
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(": The path names " + says), std::string::npos) << error;
  }
  EXPECT_TRUE(S_ISFIFO(Lstat(fifo).st_mode));
  EXPECT_TRUE(S_ISCHR(Lstat("/dev/null").st_mode));
  EXPECT_TRUE(fs::is_symlink(dir_.path() / "to-null"));
  EXPECT_TRUE(S_ISSOCK(Lstat(socket_path).st_mode));
  EXPECT_EQ(ListFolder(dir_.path()), "folder pipe socket to-null");
  ::close(sock);
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
}

// Looks at the folder after every call the writer makes.
class WatchedCalls : public TestFileCalls {
 public:
  WatchedCalls(const fs::path& folder, bool named) : TestFileCalls(named), folder_(folder) {}

  // The files that others could read, at any point seen.
  const std::string& exposed() const { return exposed_; }

  int Open(int folder, const char* path, int flags, mode_t mode) const override {
    return Look(TestFileCalls::Open(folder, path, flags, mode));
  }
  ssize_t Write(int fd, const void* bytes, std::size_t size) const override {
    return Look(FileCalls::Write(fd, bytes, size));
  }
  int Fchmod(int fd, mode_t mode) const override { return Look(FileCalls::Fchmod(fd, mode)); }
  int Fchown(int fd, uid_t owner, gid_t group) const override {
    return Look(FileCalls::Fchown(fd, owner, group));
  }
  int Fsetxattr(int fd, const char* name, const void* value, std::size_t size) const override {
    return Look(FileCalls::Fsetxattr(fd, name, value, size));
  }
  int Link(int from_folder, const char* from, int to_folder, const char* to,
           int flags) const override {
    return Look(FileCalls::Link(from_folder, from, to_folder, to, flags));
  }
  int Rename(int from_folder, const char* from, int to_folder, const char* to) const override {
    return Look(FileCalls::Rename(from_folder, from, to_folder, to));
  }

 private:
  template <class Result>
  Result Look(Result result) const {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
      const struct stat info = Lstat(entry.path().string());
      if ((info.st_mode & 077) != 0) exposed_ += entry.path().filename().string() + " ";
    }
    return result;
  }

  fs::path folder_;
  mutable std::string exposed_;
};

TEST_F(ReplaceTest, TheNewContentIsNeverReadableByOthers) {
  const std::string path = dir_.File("secret.txt");
  for (const bool named : {false, true}) {
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0600);
    const WatchedCalls watched(dir_.path(), named);
    Replace(path, "new secret", watched);
    EXPECT_EQ(watched.exposed(), "") << (named ? "named" : "unnamed");
    EXPECT_EQ(ReadBytes(path), "new secret");
  }
}

TEST_F(ReplaceTest, TemporaryFilesOfEndedWritersAreRemovedByTheNextWrite) {
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ::waitpid(ended, nullptr, 0);
  const std::string of_ended = "." + std::string("list.txt.velloran-") + std::to_string(ended);
  const std::string kept[] = {
      ".list.txt.velloran-1-0.tmp",                               // its writer (init) runs
      "list.txt.velloran-" + std::to_string(ended) + "-0.saved",  // a kept copy
      "notes.tmp",                                                // not ours
      of_ended + "-1.tmp",                                        // locked by a writer
  };
  for (const std::string& name : kept) WriteBytes(dir_.File(name), "x");
  WriteBytes(dir_.File(of_ended + "-0.tmp"), "abandoned");
  const int locked = ::open(dir_.File(of_ended + "-1.tmp").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(locked, LOCK_EX), 0);
  if (IsRoot()) {
    WriteBytes(dir_.File(of_ended + "-2.tmp"), "another user's");
    ::chown(dir_.File(of_ended + "-2.tmp").c_str(), 65534, 65534);
  }

  Replace(dir_.File("list.txt"), "new");
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir_.path() / name)) << name;
  EXPECT_FALSE(fs::exists(dir_.path() / (of_ended + "-0.tmp")));
  if (IsRoot()) {
    EXPECT_TRUE(fs::exists(dir_.path() / (of_ended + "-2.tmp")));
  }
  ::close(locked);
}

}  // namespace
}  // namespace velloran::testing
