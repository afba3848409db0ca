#include "platform/gui/fake/fake_backend.h"

#include <exception>
#include <functional>

namespace velloran::platform::fake {
namespace {

// Runs one handler as the real backends do: an exception that escapes it ends
// that handler only, and its message is shown in a message box.
void RunHandler(Runtime& runtime, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    runtime.MsgBox(error.what());
  } catch (...) {
    runtime.MsgBox("An unexpected error occurred.");
  }
}

}  // namespace

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
