#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/form_events.h"

namespace velloran::testing {

// Records every handler call; the picture buttons follow the convention of
// acting only on Value 1 after setting it back to 0.
class RecordingEvents final : public platform::FormEvents {
 public:
  explicit RecordingEvents(platform::Controls controls) : ui_(controls) {}

  std::vector<std::string> calls;
  std::function<void()> check1_action = [] {};
  std::function<void()> check2_action = [] {};

  void Form_Load() override { calls.push_back("Form_Load"); }
  void Form_Unload(int&) override {
    calls.push_back("Form_Unload");
    ui_.runtime.End();
  }
  void Form_MouseMove() override { calls.push_back("Form_MouseMove"); }
  void Check1_MouseMove() override { calls.push_back("Check1_MouseMove"); }
  void Check2_MouseMove() override { calls.push_back("Check2_MouseMove"); }
  void List1_MouseMove() override { calls.push_back("List1_MouseMove"); }
  void Check1_Click() override { Click("Check1", ui_.check1, check1_action); }
  void Check2_Click() override { Click("Check2", ui_.check2, check2_action); }
  void List1_DblClick() override { calls.push_back("List1_DblClick"); }

 private:
  void Click(const std::string& name, platform::PictureButton& button,
             const std::function<void()>& action) {
    calls.push_back(name + "_Click(" + std::to_string(button.Value()) + ")");
    if (button.Value() != 1) return;
    button.SetValue(0);
    action();
  }
  platform::Controls ui_;
};

}  // namespace velloran::testing
