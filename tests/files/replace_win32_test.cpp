// Replacing a file on Windows: paths past MAX_PATH, what ReplaceFileW keeps,
// and every failing call leaving the target and its folder sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/os/win32/file_replacer.h"
#include "platform/os/win32/paths_and_handles.h"
#include "platform/os/win32/win32_text.h"
#include "tests/support/temp_dir.h"

namespace velloran::testing {
namespace {

using platform::win32::FileCalls;
using platform::win32::FileReplacer;

std::string ReplaceError(const std::string& path, std::string_view content,
                         const FileCalls& calls = platform::win32::SystemFileCalls()) {
  try {
    FileReplacer replacer(path, calls);
    replacer.Write(content.substr(0, content.size() / 2));
    replacer.Write(content.substr(content.size() / 2));
    replacer.Commit();
    return "";
  } catch (const platform::Error& e) {
    return e.what();
  }
}

TEST(Win32Paths, APathSplitsIntoFolderAndNameAndARootKeepsItsSeparator) {
  using platform::win32::SplitPath;
  const auto split = [](std::string_view path) {
    const auto parts = SplitPath(path);
    return parts.folder + "|" + parts.name;
  };
  EXPECT_EQ(split("C:\\lists\\a.txt"), "C:\\lists|a.txt");
  EXPECT_EQ(split("C:/lists/a.txt"), "C:/lists|a.txt");
  EXPECT_EQ(split("C:\\a.txt"), "C:\\|a.txt");
  EXPECT_EQ(split("\\a.txt"), "\\|a.txt");
  EXPECT_EQ(split("a.txt"), "|a.txt");
  EXPECT_EQ(split("\\\\server\\share\\a.txt"), "\\\\server\\share|a.txt");
  const auto wide = SplitPath(std::wstring_view(L"\\\\?\\C:\\a.txt"));
  EXPECT_EQ(wide.folder, L"\\\\?\\C:");
  EXPECT_EQ(wide.name, L"a.txt");
}

std::wstring Long(const std::string& path) { return L"\\\\?\\" + platform::win32::Widen(path); }

// The names in a folder, sorted, found through its long path.
std::string ListLongFolder(const std::string& folder) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW((Long(folder) + L"\\*").c_str(), &found);
  std::vector<std::string> names;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = platform::win32::Narrow(found.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());
  std::string listing;
  for (const std::string& name : names) listing += (listing.empty() ? "" : " ") + name;
  return listing;
}

class ReplaceWin32Test : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(ReplaceWin32Test, PathsLongerThanMaxPathAreWrittenAndRead) {
  // A name that leaves no room for a temporary name's additions, and a
  // folder deeper than MAX_PATH.
  std::string folder = Utf8(dir_.path());
  const std::string near_limit = folder + "\\" + std::string(250 - folder.size(), 'n') + ".txt";
  for (int depth = 0; depth < 3; ++depth) {
    folder += "\\" + std::string(100, static_cast<char>('a' + depth));
    ASSERT_TRUE(CreateDirectoryW(Long(folder).c_str(), nullptr)) << GetLastError();
  }
  const std::string deep = folder + "\\deep.txt";
  for (const std::string& path : {near_limit, deep}) {
    ASSERT_EQ(ReplaceError(path, "first"), "") << path.size();
    ASSERT_EQ(ReplaceError(path, "second"), "") << path.size();
    EXPECT_EQ(platform::ReadWholeFile(path).view(), "second");
    EXPECT_NO_THROW(platform::FileDateTime(path));
  }
  EXPECT_EQ(ListLongFolder(folder), "deep.txt");
}

TEST_F(ReplaceWin32Test, AnExistingTargetKeepsItsAttributes) {
  const std::string path = dir_.File("hidden.txt");
  WriteBytes(path, "old");
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesW(Long(path).c_str(), kept));
  ASSERT_EQ(ReplaceError(path, "new"), "");
  EXPECT_EQ(ReadBytes(path), "new");
  EXPECT_EQ(GetFileAttributesW(Long(path).c_str()) & kept, kept);
  EXPECT_EQ(ListFolder(dir_.path()), "hidden.txt");
}

TEST_F(ReplaceWin32Test, DevicesAndFoldersAreRefused) {
  for (const std::string name : {"NUL", "COM1"}) {
    const std::string error = ReplaceError(dir_.File(name), "new");
    EXPECT_NE(error.find("The path names a device"), std::string::npos) << error;
  }
  EXPECT_NE(ReplaceError(Utf8(dir_.path()), "new").find("a folder"), std::string::npos);
  EXPECT_EQ(ListFolder(dir_.path()), "");
}

enum Call {
  kCreateFileW,
  kWriteFile,
  kFlushFileBuffers,
  kSetDeleteOnClose,
  kReplaceFileW,
  kMoveFileExW,
  kCalls
};
constexpr const char* kCallNames[kCalls] = {"CreateFileW",      "WriteFile",    "FlushFileBuffers",
                                            "SetDeleteOnClose", "ReplaceFileW", "MoveFileExW"};

// Counts the calls of each kind and makes the `nth` call of kind `failing`
// (counted from 1) fail with `error`.
class FaultyCalls : public FileCalls {
 public:
  explicit FaultyCalls(Call failing = kCalls, int nth = 0, DWORD error = ERROR_WRITE_FAULT)
      : failing_(failing), nth_(nth), error_(error) {}

  int count(Call call) const { return counts_[call]; }

  HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                     DWORD flags) const override {
    if (Fails(kCreateFileW)) return INVALID_HANDLE_VALUE;
    return FileCalls::CreateFileW(path, access, share, disposition, flags);
  }
  BOOL WriteFile(HANDLE file, const void* bytes, DWORD size, DWORD* written) const override {
    return !Fails(kWriteFile) && FileCalls::WriteFile(file, bytes, size, written);
  }
  BOOL FlushFileBuffers(HANDLE file) const override {
    return !Fails(kFlushFileBuffers) && FileCalls::FlushFileBuffers(file);
  }
  BOOL SetDeleteOnClose(HANDLE file, bool delete_on_close) const override {
    return !Fails(kSetDeleteOnClose) && FileCalls::SetDeleteOnClose(file, delete_on_close);
  }
  BOOL ReplaceFileW(const wchar_t* replaced, const wchar_t* replacement) const override {
    return !Fails(kReplaceFileW) && FileCalls::ReplaceFileW(replaced, replacement);
  }
  BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) const override {
    return !Fails(kMoveFileExW) && FileCalls::MoveFileExW(from, to, flags);
  }

 private:
  bool Fails(Call call) const {
    if (++counts_[call] != nth_ || call != failing_) return false;
    SetLastError(error_);
    return true;
  }

  Call failing_;
  int nth_;
  DWORD error_;
  mutable std::array<int, kCalls> counts_{};
};

TEST_F(ReplaceWin32Test, AnyFailingCallLeavesTheTargetSound) {
  const std::string path = dir_.File("target.txt");
  for (const bool exists : {false, true}) {
    if (exists) WriteBytes(path, "old");
    const FaultyCalls counting;
    ASSERT_EQ(ReplaceError(path, "new", counting), "");
    // Marked for deletion while written, and the mark taken away once done.
    EXPECT_EQ(counting.count(kSetDeleteOnClose), 2);
    for (int call = 0; call < kCalls; ++call) {
      for (int nth = 1; nth <= counting.count(static_cast<Call>(call)); ++nth) {
        const std::string failed = std::string(kCallNames[call]) + " #" + std::to_string(nth);
        std::filesystem::remove(dir_.path() / "target.txt");
        if (exists) WriteBytes(path, "old");
        const FaultyCalls faulty(static_cast<Call>(call), nth);
        const std::string error = ReplaceError(path, "new", faulty);
        if (error.empty()) {
          // Only marking the temporary file for deletion may fail without
          // harm: the file is then removed by the writer instead.
          EXPECT_EQ(call, kSetDeleteOnClose) << failed;
          EXPECT_EQ(ReadBytes(path), "new") << failed;
          EXPECT_EQ(ListFolder(dir_.path()), "target.txt") << failed;
          continue;
        }
        // The error names the folder when creating a file in it fails, and
        // the file otherwise.
        const std::string named = call == kCreateFileW ? Utf8(dir_.path()) : path;
        EXPECT_NE(error.find("\"" + named + "\": "), std::string::npos) << failed << ": " << error;
        EXPECT_EQ(ListFolder(dir_.path()), exists ? "target.txt" : "") << failed;
        if (exists) {
          EXPECT_EQ(ReadBytes(path), "old") << failed;
        }
      }
    }
  }
}

// ReplaceFileW may fail after removing the file it replaces.
class ReplaceLosingTheTarget : public FileCalls {
 public:
  BOOL ReplaceFileW(const wchar_t* replaced, const wchar_t*) const override {
    DeleteFileW(replaced);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
    return FALSE;
  }
};

TEST_F(ReplaceWin32Test, ATargetReplaceFileWRemovedGetsTheNewContentAllTheSame) {
  const std::string path = dir_.File("target.txt");
  WriteBytes(path, "old");
  EXPECT_EQ(ReplaceError(path, "new", ReplaceLosingTheTarget()), "");
  EXPECT_EQ(ReadBytes(path), "new");
  EXPECT_EQ(ListFolder(dir_.path()), "target.txt");
}

}  // namespace
}  // namespace velloran::testing
