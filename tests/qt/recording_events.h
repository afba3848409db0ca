#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/form_events.h"

namespace velloran::platform::qt {

// Handlers that note every call in order, and run an action a test attaches
// to a handler's name.
class RecordingEvents : public FormEvents {
 public:
  std::vector<std::string> calls;
  std::map<std::string, std::function<void()>> actions;
  int cancel_unload = 0;

  void Form_Load() override { Record("Form_Load"); }
  void Form_Unload(int& cancel) override {
    cancel = cancel_unload;
    Record("Form_Unload");
  }
  void Form_MouseMove() override { Record("Form_MouseMove"); }
  void Check1_MouseMove() override { Record("Check1_MouseMove"); }
  void Check2_MouseMove() override { Record("Check2_MouseMove"); }
  void List1_MouseMove() override { Record("List1_MouseMove"); }
  void Check1_Click() override { Record("Check1_Click"); }
  void Check2_Click() override { Record("Check2_Click"); }
  void List1_DblClick() override { Record("List1_DblClick"); }

 private:
  void Record(const std::string& name) {
    calls.push_back(name);
    if (auto action = actions.find(name); action != actions.end()) action->second();
  }
};

}  // namespace velloran::platform::qt
