#include "platform/gui/form1_layout.h"

#include <algorithm>
#include <string>

#include "platform/error.h"

namespace velloran::platform {
namespace {

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kCommandButton:
      return "a command button";
    case ControlKind::kListBox:
      return "a list box";
    case ControlKind::kPictureButton:
      return "a picture button";
  }
  return "a control of no known kind";
}

void CheckKind(const ControlDescription& control, ControlKind needed) {
  if (control.kind == needed) return;
  throw Error("The window's description makes " + std::string(control.name) + " " +
              KindName(control.kind) + "; it must be " + KindName(needed));
}

}  // namespace

void CheckControlKinds(const Form1Description& description) {
  CheckKind(description.command1, ControlKind::kCommandButton);
  CheckKind(description.list1, ControlKind::kListBox);
  CheckKind(description.check1, ControlKind::kPictureButton);
  CheckKind(description.check2, ControlKind::kPictureButton);
}

std::vector<const ControlDescription*> InTabOrder(const Form1Description& description) {
  const auto controls = description.Controls();
  std::vector<const ControlDescription*> ordered(controls.begin(), controls.end());
  std::ranges::stable_sort(ordered, {}, &ControlDescription::tab_index);
  return ordered;
}

}  // namespace velloran::platform
