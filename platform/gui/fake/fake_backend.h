#pragma once

#include "platform/controls.h"
#include "platform/form_events.h"
#include "platform/gui/fake/fake_common_dialog.h"
#include "platform/gui/fake/fake_list_box.h"
#include "platform/gui/fake/fake_picture_button.h"
#include "platform/gui/fake/fake_runtime.h"
#include "platform/gui/fake/fake_window.h"
#include "platform/gui/handler_guard.h"
#include "platform/window_description.h"

namespace velloran::platform::fake {

// The scripted backend: every control as a plain object a test can drive and
// read. Events are dispatched as a real backend does, through the handler
// guard: an exception that escapes a handler ends up in a message box, and no
// handler runs after End or while work runs (FakeRuntime::RunWork); the
// buttons take no click then either, and closing the window waits until the
// work has stopped, as on a real backend.
class FakeBackend {
 public:
  // `description` must outlive the backend.
  explicit FakeBackend(const UiDescription& description);
  FakeBackend(const FakeBackend&) = delete;
  FakeBackend& operator=(const FakeBackend&) = delete;

  Controls GetControls() { return {form, list1, check1, check2, commonDialog1, runtime}; }
  // Wires the buttons' click events to `events` and runs Form_Load.
  void Start(FormEvents& events);

  // What the user does.
  void ClickCheck1() { ClickUnlessWorking(check1); }
  void ClickCheck2() { ClickUnlessWorking(check2); }
  void DoubleClickList();
  void CloseWindow();
  void MoveMouseOverList();
  void MoveMouseOverCheck1();
  void MoveMouseOverCheck2();
  void MoveMouseOverBackground();

  FakeWindow form;
  FakeListBox list1;
  FakePictureButton check1;
  FakePictureButton check2;
  FakeCommonDialog commonDialog1;
  FakeRuntime runtime;

 private:
  // Runs one handler of `events_`, guarded, then a close that waited for it.
  void Dispatch(void (FormEvents::*handler)());
  void ClickUnlessWorking(FakePictureButton& button);

  HandlerGuard guard_;
  FormEvents* events_ = nullptr;
};

}  // namespace velloran::platform::fake
