#include "platform/os/win32/win32_text.h"

#include <climits>
#include <memory>

#include "platform/os_messages.h"

namespace velloran::platform::win32 {

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  if (utf8.size() > INT_MAX) throw std::length_error(std::string(os_messages::kTextTooLong));
  const int in_size = static_cast<int>(utf8.size());
  const int out_size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in_size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(out_size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in_size, wide.data(), out_size);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  if (utf16.size() > INT_MAX) throw std::length_error(std::string(os_messages::kTextTooLong));
  const int in_size = static_cast<int>(utf16.size());
  const int out_size =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), in_size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(out_size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), in_size, narrow.data(), out_size, nullptr, nullptr);
  return narrow;
}

std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(buffer, &LocalFree);
  if (length == 0) return std::string(os_messages::kSystemErrorNumber) + std::to_string(code);
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.remove_suffix(1);
  return Narrow(text);
}

}  // namespace velloran::platform::win32
