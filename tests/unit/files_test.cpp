// The file layer: whole-file and block reads, temporary data, file dates,
// atomic replacement; what the system tells of memory.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/error.h"
#include "platform/input_file.h"
#include "platform/memory.h"
#include "platform/temporary_file.h"
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

TEST_F(FilesTest, AnInputFileIsReadAgainFromItsStartAndAnywhere) {
  const std::string path = dir_.File("input.txt");
  WriteBytes(path, "0123456789");
  InputFile file(path);
  EXPECT_EQ(file.size(), 10u);
  char bytes[16] = {};
  EXPECT_EQ(file.Read(bytes, 4), 4u);
  EXPECT_EQ(std::string_view(bytes, 4), "0123");
  file.ReadAt(7, bytes, 3);
  EXPECT_EQ(std::string_view(bytes, 3), "789");
  EXPECT_EQ(file.Read(bytes, 16), 6u);  // ReadAt did not move the position
  EXPECT_EQ(std::string_view(bytes, 6), "456789");
  EXPECT_EQ(file.Read(bytes, 16), 0u);
  EXPECT_THROW(file.ReadAt(8, bytes, 3), Error);  // past the end
  file.Rewind();
  EXPECT_EQ(file.Read(bytes, 2), 2u);
  EXPECT_EQ(std::string_view(bytes, 2), "01");
  EXPECT_NO_THROW(file.CheckUnchanged());
  WriteBytes(path, "0123456789ab");
  EXPECT_THROW(file.CheckUnchanged(), Error);
}

TEST_F(FilesTest, AFileThatGrowsWhileItIsReadIsAnError) {
  const std::string path = dir_.File("growing.txt");
  // Larger than one block of reading (8 MiB), so it grows between blocks.
  WriteBytes(path, std::string(std::size_t{9} << 20, 'g'));
  InputFile file(path);
  bool grown = false;
  EXPECT_THROW(ReadToEnd(file, std::size_t{64} << 20,
                         [&](std::uint64_t) {
                           if (!grown) WriteBytes(path, std::string(std::size_t{10} << 20, 'g'));
                           grown = true;
                         }),
               Error);
}

// On Linux the file has no name at all; on Windows it has one while it is
// open, for this process alone, and is deleted when closed.
TEST_F(FilesTest, TemporaryDataHasNoNameAndReadsBack) {
  const std::string folder = testing::Utf8(dir_.path());
  {
    TemporaryFile file(folder);
    file.Write("abc");
    file.Write(std::string(100000, 'z'));
    EXPECT_EQ(file.size(), 100003u);
#ifndef _WIN32
    EXPECT_EQ(testing::ListFolder(dir_.path()), "");  // nothing another user could open
#endif
    char bytes[5] = {};
    EXPECT_EQ(file.ReadAt(1, bytes, 4), 4u);
    EXPECT_EQ(std::string_view(bytes, 4), "bczz");
    EXPECT_EQ(file.ReadAt(100001, bytes, 5), 2u);
  }
  EXPECT_EQ(testing::ListFolder(dir_.path()), "");
  try {
    TemporaryFile missing(folder + "/no such folder");
    ADD_FAILURE() << "temporary data in a missing folder";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("no such folder"), std::string::npos) << e.what();
  }
}

TEST_F(FilesTest, TheTemporaryFolderIsTheSourcesOrOneThatTakesData) {
  const std::string chosen = TemporaryFolderFor(dir_.File("source.txt"));
  if (chosen != testing::Utf8(dir_.path())) {
    EXPECT_TRUE(std::filesystem::is_directory(std::u8string(chosen.begin(), chosen.end())))
        << chosen;
  }
  EXPECT_GT(FreeSpace(chosen), 0u) << chosen;
  TemporaryFile file(chosen);
  file.Write("x");
  EXPECT_EQ(file.size(), 1u);
}

TEST(Memory, TheSystemTellsItsMemoryAndAddressSpace) {
  const std::uint64_t physical = PhysicalMemory();
  EXPECT_GT(physical, std::uint64_t{64} << 20);
  const FreeAddressSpace space = FreeAddressSpaceNow();
  EXPECT_LE(space.largest, space.total);
  EXPECT_GT(space.largest, std::uint64_t{16} << 20);
  if constexpr (sizeof(void*) < 8) {
    EXPECT_LE(space.total, std::uint64_t{1} << 32);
    // The largest free range can really be had.
    void* block = AllocateLargeArray(static_cast<std::size_t>(space.largest / 2));
    FreeLargeArray(block, static_cast<std::size_t>(space.largest / 2));
  }
}

}  // namespace
}  // namespace velloran::platform
