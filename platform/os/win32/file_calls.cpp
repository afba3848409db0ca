#include "platform/os/win32/file_calls.h"

namespace velloran::platform::win32 {

HANDLE FileCalls::CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                              DWORD flags) const {
  return ::CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}

BOOL FileCalls::WriteFile(HANDLE file, const void* bytes, DWORD size, DWORD* written) const {
  return ::WriteFile(file, bytes, size, written, nullptr);
}

BOOL FileCalls::FlushFileBuffers(HANDLE file) const { return ::FlushFileBuffers(file); }

BOOL FileCalls::SetDeleteOnClose(HANDLE file, bool delete_on_close) const {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = delete_on_close ? TRUE : FALSE;
  return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

BOOL FileCalls::ReplaceFileW(const wchar_t* replaced, const wchar_t* replacement) const {
  return ::ReplaceFileW(replaced, replacement, nullptr, 0, nullptr, nullptr);
}

BOOL FileCalls::MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) const {
  return ::MoveFileExW(from, to, flags);
}

const FileCalls& SystemFileCalls() {
  static const FileCalls calls;
  return calls;
}

}  // namespace velloran::platform::win32
