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
    case ControlKind::kLabel:
      return "a label";
    case ControlKind::kProgressBar:
      return "a progress bar";
  }
  return "a control of no known kind";
}

}  // namespace

void CheckControlKind(const ControlDescription& control, ControlKind needed) {
  if (control.kind == needed) return;
  throw Error("The window's description makes " + std::string(control.name) + " " +
              KindName(control.kind) + "; it must be " + KindName(needed));
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
