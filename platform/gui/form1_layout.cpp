#include "platform/gui/form1_layout.h"

#include <algorithm>
#include <string>

#include "platform/error.h"
#include "platform/gui/toolkit_messages.h"

namespace velloran::platform {
void CheckControlKind(const ControlDescription& control, ControlKind needed) {
  if (control.kind == needed) return;
  throw Error(toolkit_messages::WrongControlKind(control.name, control.kind, needed));
}

void CheckControlKinds(const Form1Description& description) {
  CheckControlKind(description.command1, ControlKind::kCommandButton);
  CheckControlKind(description.list1, ControlKind::kListBox);
  CheckControlKind(description.check1, ControlKind::kPictureButton);
  CheckControlKind(description.check2, ControlKind::kPictureButton);
}

std::vector<const ControlDescription*> InTabOrder(const Form1Description& description) {
  const auto controls = description.Controls();
  std::vector<const ControlDescription*> ordered(controls.begin(), controls.end());
  std::ranges::stable_sort(ordered, {}, &ControlDescription::tab_index);
  return ordered;
}

}  // namespace velloran::platform
