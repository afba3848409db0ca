// What the core reads and keeps through the OS layer: files read block by
// block, temporary data without a name, and what the system tells of its
// memory and address space (a 32-bit process included).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/input_file.h"
#include "platform/memory.h"
#include "platform/os/temporary_folder.h"
#include "platform/temporary_file.h"
#include "tests/support/temp_dir.h"

namespace velloran::platform {
namespace {

using testing::WriteBytes;

class InputFilesTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
};

TEST_F(InputFilesTest, AnInputFileIsReadAgainFromItsStartAndAnywhere) {
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

// The bounded path reads a file at offsets from two threads while it goes
// through it in order: neither may move the other's place.
TEST_F(InputFilesTest, ReadsAtOffsetsOnOtherThreadsLeaveThePlaceOfTheReading) {
  const std::string path = dir_.File("blocks.txt");
  std::string content;
  for (int i = 0; i < 4096; ++i) content += static_cast<char>('a' + i % 26);
  WriteBytes(path, content);
  InputFile file(path);
  std::vector<std::thread> readers;
  std::vector<int> wrong(2, 0);
  for (std::size_t t = 0; t < 2; ++t) {
    readers.emplace_back([&file, &content, &wrong, t] {
      char bytes[7];
      for (std::size_t i = 0; i < 2000; ++i) {
        const std::size_t offset = (i * 131 + t * 17) % (content.size() - sizeof bytes);
        try {
          file.ReadAt(offset, bytes, sizeof bytes);
        } catch (const Error&) {
          ++wrong[t];
          continue;
        }
        if (std::string_view(bytes, sizeof bytes) != content.substr(offset, sizeof bytes)) {
          ++wrong[t];
        }
      }
    });
  }
  std::string read;
  char block[5];
  std::size_t got = 0;
  while ((got = file.Read(block, sizeof block)) != 0) read.append(block, got);
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(read, content);
  EXPECT_EQ(wrong, (std::vector<int>{0, 0}));
}

TEST_F(InputFilesTest, AFileThatGrowsWhileItIsReadIsAnError) {
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
TEST_F(InputFilesTest, TemporaryDataHasNoNameAndReadsBack) {
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

TEST_F(InputFilesTest, TheTemporaryFolderIsTheSourcesOrOneThatTakesData) {
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

// The source's folder is taken only when it has more room and takes the
// data; it is not tried when the system's folder has as much room.
TEST(TemporaryFolder, TheSourcesFolderOnlyWhenItHasMoreRoomAndTakesTheData) {
  std::vector<std::string> tried;
  const auto room = [](std::uint64_t beside_room) {
    return [beside_room](const std::string& folder) -> std::uint64_t {
      return folder == "beside" ? beside_room : 100;
    };
  };
  const auto takes = [&tried](bool answer) {
    return [&tried, answer](const std::string& folder) {
      tried.push_back(folder);
      return answer;
    };
  };
  EXPECT_EQ(os::ChooseTemporaryFolder("system", "beside", room(200), takes(true)), "beside");
  EXPECT_EQ(os::ChooseTemporaryFolder("system", "beside", room(200), takes(false)), "system");
  EXPECT_EQ(tried, (std::vector<std::string>{"beside", "beside"}));
  tried.clear();
  EXPECT_EQ(os::ChooseTemporaryFolder("system", "beside", room(100), takes(true)), "system");
  EXPECT_TRUE(tried.empty());
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
