#pragma once

#include <functional>
#include <string>

#include "platform/common_dialog.h"
#include "platform/os/win32/win32_api.h"

namespace velloran::platform::win32 {

// CommonDialog1 on GetOpenFileNameW and GetSaveFileNameW, modal to the
// window that `owner` names at the time of showing. Once `ended` says the
// program has ended, no dialog shows: each is cancelled at once.
class Win32CommonDialog final : public CommonDialog {
 public:
  explicit Win32CommonDialog(std::function<HWND()> owner, std::function<bool()> ended = {});

  bool ShowOpen() override;
  bool ShowSave() override;

 private:
  enum class Kind { kOpen, kSave };
  bool Show(Kind kind);

  std::function<HWND()> owner_;
  std::function<bool()> ended_;
};

}  // namespace velloran::platform::win32
