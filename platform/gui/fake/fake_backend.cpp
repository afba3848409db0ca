#include "platform/gui/fake/fake_backend.h"

namespace velloran::platform::fake {

FakeBackend::FakeBackend(const UiDescription& description)
    : form(description.form1),
      list1(description.form1.list1),
      guard_(runtime, runtime.work(), description.unexpected_error) {
  runtime.CloseWindowWith([this] { CloseWindow(); });
}

void FakeBackend::Start(FormEvents& events) {
  events_ = &events;
  check1.OnClick([this] { Dispatch(&FormEvents::Check1_Click); });
  check2.OnClick([this] { Dispatch(&FormEvents::Check2_Click); });
  Dispatch(&FormEvents::Form_Load);
}

void FakeBackend::Dispatch(void (FormEvents::*handler)()) {
  if (events_ == nullptr) return;
  guard_.Run([this, handler] { (events_->*handler)(); });
  if (runtime.work().TakeDeferredClose()) CloseWindow();
}

void FakeBackend::ClickUnlessWorking(FakePictureButton& button) {
  if (!runtime.work().IsRunning()) button.Click();
}

void FakeBackend::DoubleClickList() { Dispatch(&FormEvents::List1_DblClick); }

void FakeBackend::CloseWindow() {
  if (events_ == nullptr || runtime.work().DeferClose()) return;
  int cancel = 0;
  guard_.Run([this, &cancel] { events_->Form_Unload(cancel); });
}

void FakeBackend::MoveMouseOverList() { Dispatch(&FormEvents::List1_MouseMove); }
void FakeBackend::MoveMouseOverCheck1() { Dispatch(&FormEvents::Check1_MouseMove); }
void FakeBackend::MoveMouseOverCheck2() { Dispatch(&FormEvents::Check2_MouseMove); }
void FakeBackend::MoveMouseOverBackground() { Dispatch(&FormEvents::Form_MouseMove); }

}  // namespace velloran::platform::fake
