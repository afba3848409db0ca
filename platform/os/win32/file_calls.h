#pragma once

// The system calls that replacing a file makes, behind one interface. A
// writer is handed the calls it makes; the program hands it
// SystemFileCalls(), which goes straight to kernel32, and a test hands it
// calls of which one fails, to see that every failure leaves the target and
// its folder sound. Each call takes what the program passes of its
// namesake's arguments, and fails as it does, with GetLastError set.

#include "platform/os/win32/win32_api.h"

namespace velloran::platform::win32 {

class FileCalls {
 public:
  virtual ~FileCalls() = default;

  virtual HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                             DWORD flags) const;
  virtual BOOL WriteFile(HANDLE file, const void* bytes, DWORD size, DWORD* written) const;
  virtual BOOL FlushFileBuffers(HANDLE file) const;
  // Marks the file for deletion when it is closed, or takes the mark away.
  virtual BOOL SetDeleteOnClose(HANDLE file, bool delete_on_close) const;
  virtual BOOL ReplaceFileW(const wchar_t* replaced, const wchar_t* replacement) const;
  virtual BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags) const;
};

// The calls as the system makes them.
const FileCalls& SystemFileCalls();

}  // namespace velloran::platform::win32
