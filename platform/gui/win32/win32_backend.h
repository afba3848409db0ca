#pragma once

#include "platform/backend.h"
#include "platform/gui/win32/win32_accessible.h"
#include "platform/gui/win32/win32_common_dialog.h"
#include "platform/gui/win32/win32_form.h"
#include "platform/gui/win32/win32_handles.h"

namespace velloran::platform::win32 {

// The program on the Windows API: Form1 and its controls built from the
// description, CommonDialog1 and the runtime services, and a message loop
// with dialog-style keyboard navigation.
class Win32Backend final : public Backend {
 public:
  // `description` must outlive the backend. Throws Error when the window
  // cannot be built.
  Win32Backend(HINSTANCE instance, const UiDescription& description);

  Controls GetControls() override;
  int Run(FormEvents& events) override;

  FormWindow& form() { return form_; }

 private:
  UniqueModule common_controls_;  // loaded before and freed after every window
  ComApartment com_;              // for assistive technology's requests
  UniqueWindow owner_;            // hidden; keeps Form1 out of the task bar
  FormWindow form_;
  Win32CommonDialog common_dialog1_;
};

}  // namespace velloran::platform::win32
