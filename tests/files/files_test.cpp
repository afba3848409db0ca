// The file layer: whole-file reads, file dates, atomic replacement.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/error.h"
#include "tests/support/temp_dir.h"

namespace velloran::platform {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class FilesTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
};

TEST_F(FilesTest, ReadsWholeFilesOfAnySize) {
  // Empty, small, and large enough for large pages with an odd tail.
  for (const std::size_t size : {std::size_t{0}, std::size_t{5}, (std::size_t{5} << 20) + 3}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 131 % 251);
    const std::string path = dir_.File("data.bin");
    WriteBytes(path, bytes);
    FileBuffer buffer = ReadWholeFile(path);
    ASSERT_EQ(buffer.size(), size);
    EXPECT_TRUE(buffer.view() == bytes);

    FileBuffer moved = std::move(buffer);
    EXPECT_EQ(moved.size(), size);
  }
}

TEST_F(FilesTest, PathsAreUtf8) {
  const std::string path = dir_.File(
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE5\x90\x8D.txt");
  {
    AtomicFileWriter writer(path);
    writer.Write("hello");
    writer.Commit();
  }
  EXPECT_EQ(ReadWholeFile(path).view(), "hello");
  EXPECT_NO_THROW(FileDateTime(path));
}

TEST_F(FilesTest, FileDateTimeOfAFileJustWritten) {
  const std::string path = dir_.File("dated.txt");
  WriteBytes(path, "x");
  const std::time_t now = std::time(nullptr);
  EXPECT_LE(std::abs(static_cast<long long>(FileDateTime(path) - now)), 120);
}

TEST_F(FilesTest, FileDateTimeFailsForWhatCannotBeTold) {
  const std::string bad_paths[] = {
      dir_.File("missing.txt"),
      dir_.File("missing folder") + "/file.txt",
      dir_.File("nul") + std::string(1, '\0') + "x.txt",
#ifdef _WIN32
      dir_.File("a<b>|c?.txt"),
#endif
  };
  for (const std::string& path : bad_paths) {
    EXPECT_THROW(FileDateTime(path), Error) << path;
  }
}

TEST_F(FilesTest, AWriterReplacesTheTargetOnlyOnCommit) {
  const std::string path = dir_.File("target.txt");
  WriteBytes(path, "old");
  {
    AtomicFileWriter writer(path);
    writer.Write("new and longer");
    EXPECT_EQ(ReadBytes(path), "old");
  }  // abandoned without Commit
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(testing::ListFolder(dir_.path()), "target.txt");

  {
    AtomicFileWriter writer(path);
    writer.Write("new ");
    writer.Write("and longer");
    writer.Commit();
  }
  EXPECT_EQ(ReadBytes(path), "new and longer");
  EXPECT_EQ(testing::ListFolder(dir_.path()), "target.txt");
}

TEST_F(FilesTest, AWriterRefusesMalformedPaths) {
  EXPECT_THROW(AtomicFileWriter(dir_.File("a") + std::string(1, '\0') + "b"), Error);
  EXPECT_THROW(ReadWholeFile(dir_.File("a") + std::string(1, '\0') + "b"), Error);
  EXPECT_EQ(testing::ListFolder(dir_.path()), "");
}

#ifdef _WIN32
TEST_F(FilesTest, AReadOnlyTargetIsLeftAlone) {
  const std::string path = dir_.File("locked.txt");
  WriteBytes(path, "old");
  std::filesystem::permissions(dir_.path() / "locked.txt", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::group_read |
                                                               std::filesystem::perms::others_read);
  EXPECT_THROW(
      {
        AtomicFileWriter writer(path);
        writer.Write("new");
        writer.Commit();
      },
      Error);
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(testing::ListFolder(dir_.path()), "locked.txt");
  std::filesystem::permissions(dir_.path() / "locked.txt", std::filesystem::perms::all);
}
#else
TEST_F(FilesTest, TheReplacementKeepsTheTargetsPermissions) {
  const std::string path = dir_.File("mode.txt");
  WriteBytes(path, "old");
  namespace fs = std::filesystem;
  fs::permissions(dir_.path() / "mode.txt", fs::perms::owner_read | fs::perms::owner_write);
  AtomicFileWriter writer(path);
  writer.Write("new");
  writer.Commit();
  EXPECT_EQ(fs::status(dir_.path() / "mode.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
}
#endif

}  // namespace
}  // namespace velloran::platform
