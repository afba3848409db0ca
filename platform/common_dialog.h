#pragma once

#include <cstdint>
#include <string>

namespace velloran::platform {

// Flags of the common file dialog (the values of the OFN_ constants).
inline constexpr std::uint32_t kOfnReadOnly = 0x1;
inline constexpr std::uint32_t kOfnAllowMultiselect = 0x200;
inline constexpr std::uint32_t kOfnExplorer = 0x80000;
inline constexpr std::uint32_t kOfnLongNames = 0x200000;

// The common file dialog: properties that persist between showings, and the
// modal open and save dialogs that use them.
//
// Filter is "Description|pattern|Description|pattern|..." (a closing bar is
// allowed). After a confirmed open dialog, FileName is the report: the full
// path for one file; for several, the folder and then each name, separated by
// NUL characters. After a confirmed save dialog it is the chosen full path.
// A cancelled dialog leaves FileName as it was and the Show call returns false.
//
// The open dialog's read-only box starts ticked when Flags holds
// kOfnReadOnly. A confirmed open dialog writes the box back into Flags:
// kOfnReadOnly is set when it was ticked and cleared when not; the other
// flags stay as they were. A cancelled one writes nothing back.
class CommonDialog {
 public:
  virtual ~CommonDialog() = default;

  std::uint32_t Flags() const { return flags_; }
  void SetFlags(std::uint32_t flags) { flags_ = flags; }
  const std::string& DialogTitle() const { return dialog_title_; }
  void SetDialogTitle(const std::string& title) { dialog_title_ = title; }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& filter) { filter_ = filter; }
  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& name) { file_name_ = name; }

  // Each returns true when the user confirmed, false when they cancelled.
  // The save dialog asks before it replaces an existing file.
  virtual bool ShowOpen() = 0;
  virtual bool ShowSave() = 0;

 protected:
  // What a confirmed open dialog does with its read-only box.
  void WriteBackReadOnly(bool ticked) {
    flags_ = ticked ? flags_ | kOfnReadOnly : flags_ & ~kOfnReadOnly;
  }

 private:
  std::uint32_t flags_ = 0;
  std::string dialog_title_;
  std::string filter_;
  std::string file_name_;
};

}  // namespace velloran::platform
