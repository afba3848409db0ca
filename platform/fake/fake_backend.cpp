#include "platform/fake/fake_backend.h"

#include <stdexcept>

#include "platform/handler_guard.h"

namespace velloran::platform::fake {

void FakeBackend::Start(FormEvents& events) {
  events_ = &events;
  check1.OnClick([this] { RunHandler(runtime, [this] { events_->Check1_Click(); }); });
  check2.OnClick([this] { RunHandler(runtime, [this] { events_->Check2_Click(); }); });
  RunHandler(runtime, [this] { events_->Form_Load(); });
}

void FakeBackend::DoubleClickList() {
  RunHandler(runtime, [this] { events_->List1_DblClick(); });
}

void FakeBackend::CloseWindow() {
  int cancel = 0;
  RunHandler(runtime, [this, &cancel] { events_->Form_Unload(cancel); });
}

void FakeBackend::MoveMouseOverList() { events_->List1_MouseMove(); }
void FakeBackend::MoveMouseOverCheck1() { events_->Check1_MouseMove(); }
void FakeBackend::MoveMouseOverCheck2() { events_->Check2_MouseMove(); }
void FakeBackend::MoveMouseOverBackground() { events_->Form_MouseMove(); }

}  // namespace velloran::platform::fake
