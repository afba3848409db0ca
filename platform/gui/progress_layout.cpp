#include "platform/gui/progress_layout.h"

#include <algorithm>

#include "platform/gui/form1_layout.h"

namespace velloran::platform {

int ProgressBarPosition(const WorkReport& report) {
  if (report.total == 0) return 0;
  const std::uint64_t done = std::min(report.done, report.total);
  const double share = static_cast<double>(done) / static_cast<double>(report.total);
  return static_cast<int>(share * kProgressBarRange);
}

void CheckControlKinds(const ProgressWindowDescription& description) {
  CheckControlKind(description.path, ControlKind::kLabel);
  CheckControlKind(description.step, ControlKind::kLabel);
  CheckControlKind(description.bar, ControlKind::kProgressBar);
  CheckControlKind(description.cancel, ControlKind::kCommandButton);
}

}  // namespace velloran::platform
