#include "platform/gui/win32/win32_common_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/gui/toolkit_messages.h"
#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

// Flags go to the dialog as they are.
static_assert(kOfnReadOnly == OFN_READONLY);
static_assert(kOfnAllowMultiselect == OFN_ALLOWMULTISELECT);
static_assert(kOfnExplorer == OFN_EXPLORER);
static_assert(kOfnLongNames == OFN_LONGNAMES);

// The report buffer's first size, in UTF-16 units: room for thousands of
// picked names. It grows when a selection still does not fit (Windows then
// reports FNERR_BUFFERTOOSMALL); above the maximum it stops growing.
constexpr std::size_t kInitialCapacity = std::size_t{1} << 16;
constexpr std::size_t kMaximumCapacity = std::size_t{1} << 26;

// "Description|pattern|..." becomes the dialog's "Description\0pattern\0...\0\0".
std::wstring DialogFilter(const std::string& filter) {
  std::wstring wide = Widen(filter);
  std::replace(wide.begin(), wide.end(), L'|', L'\0');
  wide.append(2, L'\0');
  return wide;
}

// The explorer report of a multiple selection is "folder\0name\0name\0\0";
// one picked file comes as its full path alone. Either way the program's
// report is the parts separated by single NULs.
std::string OpenReport(const std::vector<wchar_t>& buffer, WORD file_offset) {
  const wchar_t* const end = buffer.data() + buffer.size();
  const wchar_t* part = buffer.data();
  const bool several =
      file_offset > 0 && file_offset < buffer.size() && buffer[file_offset - 1] == L'\0';
  std::wstring report;
  while (part < end && *part != L'\0') {
    const std::wstring_view text(part, std::find(part, end, L'\0') - part);
    if (!report.empty()) report += L'\0';
    report += text;
    part += text.size() + 1;
    if (!several) break;
  }
  return Narrow(report);
}

std::string SaveReport(const std::vector<wchar_t>& buffer) {
  return Narrow(std::wstring_view(buffer.data(),
                                  std::find(buffer.begin(), buffer.end(), L'\0') - buffer.begin()));
}

std::string DialogErrorText(DWORD code) {
  std::string_view meaning;
  switch (code) {
    case FNERR_INVALIDFILENAME:
      meaning = toolkit_messages::kDialogBadName;
      break;
    case FNERR_BUFFERTOOSMALL:
      meaning = toolkit_messages::kDialogSelectionTooLarge;
      break;
    case CDERR_MEMALLOCFAILURE:
      meaning = toolkit_messages::kDialogOutOfMemory;
      break;
    case CDERR_DIALOGFAILURE:
      meaning = toolkit_messages::kDialogNotCreated;
      break;
    default:
      meaning = toolkit_messages::kDialogFailed;
      break;
  }
  char number[16];
  std::snprintf(number, sizeof number, "0x%04lX", static_cast<unsigned long>(code));
  return toolkit_messages::DialogReason(meaning, number);
}

}  // namespace

Win32CommonDialog::Win32CommonDialog(std::function<HWND()> owner, std::function<bool()> ended)
    : owner_(std::move(owner)), ended_(std::move(ended)) {}

bool Win32CommonDialog::ShowOpen() { return Show(Kind::kOpen); }
bool Win32CommonDialog::ShowSave() { return Show(Kind::kSave); }

// Shows the dialog until it closes with a choice, a cancel or a failure. A
// selection too large for the report buffer shows the dialog again with a
// larger buffer; a starting file name the dialog refuses is dropped.
bool Win32CommonDialog::Show(Kind kind) {
  if (ended_ && ended_()) return false;
  const std::wstring title = Widen(DialogTitle());
  const std::wstring filter = DialogFilter(Filter());
  std::wstring start_name = Widen(FileName());
  std::size_t capacity = std::max(kInitialCapacity, start_name.size() + 1);

  DWORD flags = Flags();
  if (kind == Kind::kSave)
    flags = (flags & ~DWORD{OFN_ALLOWMULTISELECT}) | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;

  for (;;) {
    std::vector<wchar_t> buffer(capacity, L'\0');
    std::copy(start_name.begin(), start_name.end(), buffer.begin());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_();
    dialog.lpstrFilter = Filter().empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.Flags = flags;

    const BOOL chosen = kind == Kind::kOpen ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    if (chosen) {
      if (kind == Kind::kOpen) {
        SetFileName(OpenReport(buffer, dialog.nFileOffset));
        WriteBackReadOnly((dialog.Flags & OFN_READONLY) != 0);
      } else {
        SetFileName(SaveReport(buffer));
      }
      return true;
    }
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return false;  // cancelled
    if (error == FNERR_BUFFERTOOSMALL && capacity < kMaximumCapacity) {
      // The first two bytes hold the size the selection needs (when it fits
      // in 16 bits).
      const std::size_t needed = static_cast<WORD>(buffer[0]) + std::size_t{2};
      capacity = std::max(capacity * 4, needed);
      continue;
    }
    if (error == FNERR_INVALIDFILENAME && !start_name.empty()) {
      start_name.clear();
      continue;
    }
    throw Error(kind == Kind::kOpen ? toolkit_messages::kOpenDialogFailed
                                    : toolkit_messages::kSaveDialogFailed,
                FileName(), DialogErrorText(error));
  }
}

}  // namespace velloran::platform::win32
