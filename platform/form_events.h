#pragma once

namespace velloran::platform {

// The window's events with handlers, delivered one at a time on the user
// interface thread. A backend calls these; the window's owner implements them.
class FormEvents {
 public:
  virtual ~FormEvents() = default;

  virtual void Form_Load() = 0;
  virtual void Form_Unload(int& cancel) = 0;
  virtual void Form_MouseMove() = 0;
  virtual void Check1_MouseMove() = 0;
  virtual void Check2_MouseMove() = 0;
  virtual void List1_MouseMove() = 0;
  virtual void Check1_Click() = 0;
  virtual void Check2_Click() = 0;
  virtual void List1_DblClick() = 0;
};

}  // namespace velloran::platform
