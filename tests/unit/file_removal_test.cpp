// One file's removal on both paths: the bounded path (forced by a tiny
// memory budget) against the in-memory path, byte for byte; stops at every
// report; temporary data; inputs that are not plain files.
#include "dedupe/file_removal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace velloran::dedupe {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr std::string_view kNoRepeats = "(no repeats)";

// Counts reports and, from the one numbered `stop_at` on, asks to stop, as a
// user's stop stays asked for.
class CountingProgress final : public platform::Progress {
 public:
  explicit CountingProgress(int stop_at = -1) : stop_at_(stop_at) {}
  void Report(platform::WorkStep step, std::uint64_t done, std::uint64_t total) override {
    if (total != 0) {
      EXPECT_LE(done, total);
    }
    (void)step;
    ++reports_;
  }
  bool StopRequested() const override { return stop_at_ >= 0 && reports_ > stop_at_; }
  int reports() const { return reports_; }

 private:
  int stop_at_;
  int reports_ = 0;
};

class FileRemovalTest : public ::testing::Test {
 protected:
  // What is written for the file at `source` with `options`, or kNoRepeats.
  std::string Output(const std::string& source, const RemovalOptions& options,
                     std::optional<bool> expect_bounded = std::nullopt) {
    CountingProgress progress;
    const FileRemoval removal = FileRemoval::FindRepeats(source, progress, options);
    if (expect_bounded) {
      EXPECT_EQ(removal.bounded(), *expect_bounded);
    }
    if (!removal.found_repeats()) return std::string(kNoRepeats);
    const std::string output = dir_.File("output.txt");
    removal.WriteSurvivors(output, progress);
    return ReadBytes(output);
  }

  RemovalOptions Tiny(std::uint64_t budget) const {
    return RemovalOptions{budget, Utf8(temp_.path())};
  }
  static std::string Utf8(const std::filesystem::path& path) { return testing::Utf8(path); }

  testing::TempDir dir_;
  testing::TempDir temp_;  // the bounded path's temporary folder
};

// Text in one of the encodings the program knows, from a pool of values:
// any line end, empty lines, lone spaces, long lines, stray end bytes. Up to
// 2000 lines, or `lines` when given.
std::string RandomFile(std::mt19937& random, std::size_t lines = 0) {
  const std::size_t width = std::vector<std::size_t>{1, 1, 2, 2, 4}[random() % 5];
  const bool big_endian = random() % 2 == 0;
  std::string bytes;
  switch (random() % 3) {
    case 0:
      break;  // no mark (UTF-16 is then recognised from its line ends)
    case 1:
      bytes = width == 1 ? "\xEF\xBB\xBF"s
              : width == 2
                  ? (big_endian ? "\xFE\xFF"s : "\xFF\xFE"s)
                  : (big_endian ? std::string("\0\0\xFE\xFF", 4) : std::string("\xFF\xFE\0\0", 4));
      break;
    default:
      if (width == 1) bytes = "\xEF\xBB\xBF";
  }
  auto put_unit = [&](unsigned char c) {
    std::string unit(width, '\0');
    unit[big_endian ? width - 1 : 0] = static_cast<char>(c);
    bytes += unit;
  };
  // A pool of values: a few or many, some long.
  std::vector<std::string> values(1 + random() % (random() % 2 == 0 ? 4 : 300));
  for (std::string& value : values) {
    const std::size_t length = random() % 10 == 0 ? 200 + random() % 3000 : random() % 12;
    for (std::size_t i = 0; i < length; ++i) value += static_cast<char>('a' + random() % 3);
    if (random() % 15 == 0) value = random() % 2 == 0 ? "" : " ";
  }
  if (lines == 0) lines = random() % 2000;
  for (std::size_t i = 0; i < lines; ++i) {
    for (const char c : values[random() % values.size()]) put_unit(static_cast<unsigned char>(c));
    switch (random() % 4) {
      case 0:
        put_unit('\r');
        break;
      case 1:
        put_unit('\r');
        put_unit('\n');
        break;
      default:
        put_unit('\n');
    }
  }
  if (random() % 4 == 0) bytes.pop_back();  // a last line without its end, or stray bytes
  return bytes;
}

TEST_F(FileRemovalTest, TheBoundedPathWritesWhatTheInMemoryPathWrites) {
  std::mt19937 random(424242);
  const std::string source = dir_.File("source.txt");
  for (int round = 0; round < 60; ++round) {
    const std::string bytes = RandomFile(random);
    WriteBytes(source, bytes);
    const std::string expected = Output(source, {}, false);
    const std::uint64_t budget = std::vector<std::uint64_t>{1500, 4096, 20000}[round % 3];
    ASSERT_EQ(
        Output(source, Tiny(budget), bytes.size() > budget ? std::optional(true) : std::nullopt),
        expected)
        << "round " << round << ", " << bytes.size() << " bytes, budget " << budget;
  }
  EXPECT_EQ(testing::ListFolder(temp_.path()), "");
}

// Files of enough lines for the in-memory path to split its work between
// both cores, in every encoding: the same output as the bounded path, which
// finds repeats a partition at a time.
TEST_F(FileRemovalTest, BothCoresInMemoryWriteWhatTheBoundedPathWrites) {
  std::mt19937 random(8086);
  const std::string source = dir_.File("source.txt");
  for (int round = 0; round < 2; ++round) {
    const std::string bytes = RandomFile(random, 66000 + random() % 4000);
    WriteBytes(source, bytes);
    ASSERT_EQ(Output(source, {}, false), Output(source, Tiny(bytes.size() / 3), true))
        << "round " << round;
  }
  EXPECT_EQ(testing::ListFolder(temp_.path()), "");
}

TEST_F(FileRemovalTest, ALineLongerThanTheBudget) {
  const std::string huge(300000, 'h');
  const std::string other = huge.substr(1) + "i";
  const std::string source = dir_.File("long.txt");
  WriteBytes(source, "a\n" + huge + "\r\n" + other + "\n" + huge + "\na\n" + huge);
  const std::string expected = "a\r\n" + huge + "\r\n" + other + "\r\n";
  EXPECT_EQ(Output(source, {}, false), expected);
  EXPECT_EQ(Output(source, Tiny(65536), true), expected);
}

TEST_F(FileRemovalTest, AStopAtAnyReportLeavesTheTargetAndNoTemporaryData) {
  std::string bytes;
  for (int i = 0; i < 60000; ++i) bytes += "line " + std::to_string(i % 20000) + "\n";
  const std::string source = dir_.File("source.txt");
  const std::string target = dir_.File("target.txt");
  WriteBytes(source, bytes);
  for (const std::uint64_t budget : {std::uint64_t{0}, std::uint64_t{160} << 10}) {
    const RemovalOptions options = budget == 0 ? RemovalOptions{} : Tiny(budget);
    CountingProgress counting;
    FileRemoval::FindRepeats(source, counting, options).WriteSurvivors(target, counting);
    const int reports = counting.reports();
    EXPECT_GE(reports, 6) << "reports are too rare to stop in time";
    const std::string survivors = ReadBytes(target);
    // Every report of the in-memory path; some 30 spread over the bounded
    // one. How often the bounded path reports varies a little with how its
    // two threads share the work, so a run may end before the report a stop
    // was planned at: it then has written the whole file, never a part.
    for (int stop_at = 0; stop_at < reports; stop_at += 1 + reports / 30) {
      WriteBytes(target, "old");
      CountingProgress stopping(stop_at);
      bool stopped = false;
      try {
        FileRemoval::FindRepeats(source, stopping, options).WriteSurvivors(target, stopping);
      } catch (const platform::Stopped&) {
        stopped = true;
      }
      if (stopped) {
        ASSERT_EQ(ReadBytes(target), "old") << "stopped at report " << stop_at;
      } else {
        ASSERT_LE(stopping.reports(), stop_at + 1)
            << "a stop at report " << stop_at << " was missed";
        ASSERT_TRUE(ReadBytes(target) == survivors) << "a partly written target";
      }
      ASSERT_EQ(testing::ListFolder(dir_.path()), "source.txt target.txt");
      ASSERT_EQ(testing::ListFolder(temp_.path()), "");
    }
  }
}

// The file grows while it is read, here after its last block: an error,
// not a mix of old and new bytes.
TEST_F(FileRemovalTest, AFileThatGrowsWhileItIsReadIsAnError) {
  class Growing final : public platform::Progress {
   public:
    explicit Growing(std::string path) : path_(std::move(path)) {}
    void Report(platform::WorkStep step, std::uint64_t done, std::uint64_t) override {
      if (step == platform::WorkStep::kReading && done > 0 && !grown_) {
        WriteBytes(path_, "a\nb\na\nc\n");
        grown_ = true;
      }
    }
    bool StopRequested() const override { return false; }

   private:
    std::string path_;
    bool grown_ = false;
  };
  const std::string source = dir_.File("source.txt");
  WriteBytes(source, "a\nb\na\n");
  Growing growing(source);
  try {
    FileRemoval::FindRepeats(source, growing);
    ADD_FAILURE() << "a growing file was read";
  } catch (const platform::Error& e) {
    EXPECT_NE(std::string(e.what()).find("The file changed while it was read."), std::string::npos)
        << e.what();
  }
}

TEST_F(FileRemovalTest, AFileChangedBetweenReadingAndWritingIsAnError) {
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes += std::to_string(i % 3000) + "\n";
  const std::string source = dir_.File("source.txt");
  WriteBytes(source, bytes);
  platform::NoProgress progress;
  const FileRemoval removal = FileRemoval::FindRepeats(source, progress, Tiny(8192));
  ASSERT_TRUE(removal.bounded());
  WriteBytes(source, bytes + "more\n");
  const std::string target = dir_.File("target.txt");
  WriteBytes(target, "old");
  try {
    removal.WriteSurvivors(target, progress);
    ADD_FAILURE() << "a changed file was written";
  } catch (const platform::Error& e) {
    EXPECT_NE(std::string(e.what()).find(source), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadBytes(target), "old");
}

#ifndef _WIN32
TEST_F(FileRemovalTest, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
  const std::string fifo = dir_.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  platform::NoProgress progress;
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
    try {
      FileRemoval::FindRepeats(path, progress);
      ADD_FAILURE() << path << " was read";
    } catch (const platform::Error& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
}

TEST_F(FileRemovalTest, FilesThatReportNoSizeAreReadToTheirEnd) {
  platform::NoProgress progress;
  const FileRemoval removal = FileRemoval::FindRepeats("/proc/self/status", progress);
  EXPECT_FALSE(removal.found_repeats());  // every line names a different field
  EXPECT_FALSE(removal.bounded());
}
#endif

}  // namespace
}  // namespace velloran::dedupe
