#pragma once

#include "platform/backend.h"
#include "platform/gui/win32/win32_common_dialog.h"
#include "platform/gui/win32/win32_form.h"
#include "platform/gui/win32/win32_handles.h"
#include "platform/gui/win32/win32_runtime.h"

namespace velloran::platform::win32 {

// The program on the Windows API: Form1 and its controls, CommonDialog1 and
// the runtime services, and a message loop with dialog-style keyboard
// navigation.
class Win32Backend final : public Backend {
 public:
  explicit Win32Backend(HINSTANCE instance);

  Controls GetControls() override;
  int Run(FormEvents& events) override;

  FormWindow& form() { return form_; }

 private:
  UniqueModule common_controls_;  // loaded before and freed after every window
  UniqueWindow owner_;            // hidden; keeps Form1 out of the task bar
  FormWindow form_;
  Win32CommonDialog common_dialog_;
  Win32Runtime runtime_;
};

}  // namespace velloran::platform::win32
