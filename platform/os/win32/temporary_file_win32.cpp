// Temporary data on Windows: files opened for this process alone and marked
// for deletion when closed, so the system removes them however the process
// ends.
#include <algorithm>
#include <string>

#include "platform/os/temporary_folder.h"
#include "platform/os/win32/paths_and_handles.h"
#include "platform/os/win32/win32_text.h"
#include "platform/os_messages.h"
#include "platform/temporary_file.h"

namespace velloran::platform {
namespace {

constexpr std::string_view kCannotKeep = os_messages::kCannotKeepTemporaryData;
constexpr std::size_t kMaxChunk = std::size_t{64} << 20;

}  // namespace

std::string os::SystemTemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return ".";
  std::wstring folder(buffer, length);
  if (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return win32::Narrow(folder);
}

std::string os::FolderHolding(const std::string& path) {
  std::string folder = win32::SplitPath(path).folder;
  return folder.empty() ? "." : folder;
}

std::uint64_t FreeSpace(const std::string& folder) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(win32::Widen(folder).c_str(), &available, nullptr, nullptr)) return 0;
  return available.QuadPart;
}

struct TemporaryFile::Impl {
  std::string folder;
  win32::UniqueHandle file;
  std::uint64_t size = 0;
};

TemporaryFile::TemporaryFile(const std::string& folder) : impl_(std::make_unique<Impl>()) {
  impl_->folder = folder;
  const std::wstring wide = win32::LongPath(kCannotKeep, folder);
  for (unsigned attempt = 0;; ++attempt) {
    const std::wstring name = wide + L"\\~velloran-" + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(GetTickCount64()) + L"-" +
                              std::to_wstring(attempt) + L".tmp";
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      impl_->file = win32::UniqueHandle(file);
      return;
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt >= 100) {
      throw win32::Failure(kCannotKeep, folder, error);
    }
  }
}

TemporaryFile::TemporaryFile(TemporaryFile&&) noexcept = default;
TemporaryFile& TemporaryFile::operator=(TemporaryFile&&) noexcept = default;
TemporaryFile::~TemporaryFile() = default;

void TemporaryFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min(bytes.size(), kMaxChunk));
    DWORD put = 0;
    // Always at the end, whatever a read in between did to the file pointer.
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(impl_->size);
    position.OffsetHigh = static_cast<DWORD>(impl_->size >> 32);
    if (!WriteFile(impl_->file.get(), bytes.data(), chunk, &put, &position)) {
      throw win32::Failure(kCannotKeep, impl_->folder, GetLastError());
    }
    if (put == 0) throw win32::Failure(kCannotKeep, impl_->folder, ERROR_DISK_FULL);
    bytes.remove_prefix(put);
    impl_->size += put;
  }
}

std::uint64_t TemporaryFile::size() const { return impl_->size; }

// Positioned reads, so threads reading at once never share a position.
std::size_t TemporaryFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
  return win32::ReadFileAt(impl_->file.get(), offset, data, size, kCannotKeep, impl_->folder);
}

}  // namespace velloran::platform
