// Offsets past 4 GiB, in every build: a 32-bit process has a 32-bit size_t
// and, on Linux, needs 64-bit file offsets asked for; a slip in either reads
// at the offset modulo 4 GiB. The file is sparse, so it takes no disk room.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/error.h"
#include "platform/input_file.h"
#include "tests/support/temp_dir.h"

namespace velloran::platform {
namespace {

constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;

void WriteAt(const std::filesystem::path& path, std::uint64_t offset, const std::string& bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(file.good()) << "cannot write at " << offset;
}

TEST(LargeFile, OffsetsPastFourGiBAreReadWhereTheyAre) {
  testing::TempDir dir;
  const std::filesystem::path path = dir.path() / "sparse.bin";
  const std::uint64_t size = k4GiB + 4096 + 16;
  std::ofstream(path, std::ios::binary).close();
  std::error_code error;
  std::filesystem::resize_file(path, size, error);
  if (error) GTEST_SKIP() << "no sparse file of " << size << " bytes here: " << error.message();
  // The same offsets below and past 4 GiB hold different bytes.
  WriteAt(path, 4096, "low marker");
  WriteAt(path, k4GiB + 4096, "high marker");

  InputFile file(testing::Utf8(path));
  EXPECT_EQ(file.size(), size);
  char bytes[11] = {};
  file.ReadAt(k4GiB + 4096, bytes, 11);
  EXPECT_EQ(std::string(bytes, 11), "high marker");
  file.ReadAt(4096, bytes, 10);
  EXPECT_EQ(std::string(bytes, 10), "low marker");
  // The last bytes, and one byte too many.
  file.ReadAt(size - 5, bytes, 5);
  EXPECT_EQ(std::string(bytes, 5), std::string(5, '\0'));
  EXPECT_THROW(file.ReadAt(size - 4, bytes, 5), Error);
  // Reading from the start is not disturbed by reads far away.
  EXPECT_EQ(file.Read(bytes, 4), 4u);
  file.CheckUnchanged();
}

}  // namespace
}  // namespace velloran::platform
