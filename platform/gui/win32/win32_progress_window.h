#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/gui/background_work.h"
#include "platform/gui/win32/win32_window.h"
#include "platform/window_description.h"

namespace velloran::platform::win32 {

// The progress window of long work, built from its description: the path of
// the file worked on, the step under way, a progress bar of the bytes done,
// and Cancel. A popup owned by the main window, opened centred over it and
// modal to it: the main window takes no input while it is open. Cancel,
// Escape (through IsDialogMessage) and the frame's close button call
// `on_cancel`, once; the window stays, Cancel greyed, until it is destroyed.
class ProgressWindow final : public DescribedWindow {
 public:
  // Control identifiers; Cancel is IDCANCEL, which IsDialogMessage sends for
  // Escape.
  enum ControlId : int { kPath = 201, kStep = 202, kBar = 203, kCancel = IDCANCEL };

  // `description` must outlive the window. Throws Error when the window
  // cannot be built.
  ProgressWindow(HINSTANCE instance, HWND owner, const ProgressWindowDescription& description,
                 std::string_view title, const std::string& path, std::function<void()> on_cancel);
  // Gives the main window its input back, then closes.
  ~ProgressWindow() override;

  // Shows the step and the share of the bytes done.
  void ShowReport(const WorkReport& report);

 private:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void CentreOverOwner();
  void Cancel();

  const ProgressWindowDescription& layout_;
  HWND owner_;
  std::function<void()> on_cancel_;
  std::optional<WorkStep> step_shown_;  // none before the first report
  int bar_shown_ = 0;
};

}  // namespace velloran::platform::win32
