#pragma once

#include "platform/controls.h"
#include "platform/form_events.h"

namespace velloran {

// The program's window: a list of files on the left, the add and remove
// picture buttons on the right. Each handler is named after its object and
// event.
class Form1 final : public platform::FormEvents {
 public:
  explicit Form1(platform::Controls controls) : ui_(controls) {}

  void Form_Load() override;
  void Form_Unload(int& cancel) override;
  void Form_MouseMove() override;
  void Check1_MouseMove() override;
  void Check2_MouseMove() override;
  void List1_MouseMove() override;
  void Check1_Click() override;
  void Check2_Click() override;
  void List1_DblClick() override;

 private:
  void AddPickedFiles(const std::string& report);

  platform::Controls ui_;
};

}  // namespace velloran
