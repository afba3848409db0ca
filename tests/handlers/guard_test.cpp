// The handler guard every toolkit runs the handlers through, and the scripted
// backend's use of it for every event.
#include "platform/gui/handler_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/ui_description.h"
#include "platform/error.h"
#include "platform/gui/fake/fake_backend.h"

namespace velloran::testing {
namespace {

using Messages = std::vector<std::string>;

TEST(HandlerGuard, AnEscapingExceptionEndsTheHandlerAndIsShown) {
  platform::fake::FakeRuntime runtime;
  platform::HandlerGuard guard(runtime, runtime.work(), "Something went wrong.");
  bool finished = false;
  guard.Run([&] {
    throw platform::Error("Cannot read", "/lists/a.txt", "Permission denied");
    finished = true;
  });
  guard.Run([] { throw 42; });  // no message of its own
  guard.Run([] { throw std::bad_alloc(); });
  EXPECT_FALSE(finished);
  EXPECT_EQ(runtime.Messages(), (Messages{"Cannot read \"/lists/a.txt\": Permission denied",
                                          "Something went wrong.", std::bad_alloc().what()}));
}

TEST(HandlerGuard, NothingRunsOrShowsAfterEnd) {
  platform::fake::FakeRuntime runtime;
  platform::HandlerGuard guard(runtime, runtime.work(), "Something went wrong.");
  guard.Run([&] {
    runtime.End();
    throw std::runtime_error("after the end");
  });
  bool ran = false;
  guard.Run([&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(runtime.Messages().empty());
}

// A runtime whose message box cannot be shown.
class NoMessageBoxes final : public platform::Runtime {
 public:
  std::string AppPath() const override { return "."; }
  float ScreenWidth() const override { return 0; }
  float ScreenHeight() const override { return 0; }
  int VerticalScrollBarWidth() const override { return 0; }
  void MsgBox(const std::string&) override { throw platform::Error("no message box"); }
  platform::WorkEnd RunWork(const std::string&, const platform::Work&) override {
    return platform::WorkEnd::kFinished;
  }
  void End() override {}
  bool HasEnded() const override { return false; }
};

TEST(HandlerGuard, AMessageBoxThatFailsIsLetGo) {
  NoMessageBoxes runtime;
  const platform::WorkState idle;
  platform::HandlerGuard guard(runtime, idle, "Something went wrong.");
  EXPECT_NO_THROW(guard.Run([] { throw std::runtime_error("lost"); }));
  int runs = 0;
  guard.Run([&] { ++runs; });
  EXPECT_EQ(runs, 1);
}

// Handlers that fail on demand, to see the scripted backend guard each event.
class FailingEvents final : public platform::FormEvents {
 public:
  explicit FailingEvents(platform::Runtime& runtime) : runtime_(runtime) {}
  int calls = 0;

  void Form_Load() override { Fail("Form_Load"); }
  void Form_Unload(int&) override {
    ++calls;
    runtime_.End();
  }
  void Form_MouseMove() override { Fail("Form_MouseMove"); }
  void Check1_MouseMove() override { Fail("Check1_MouseMove"); }
  void Check2_MouseMove() override { Fail("Check2_MouseMove"); }
  void List1_MouseMove() override { Fail("List1_MouseMove"); }
  void Check1_Click() override { Fail("Check1_Click"); }
  void Check2_Click() override { Fail("Check2_Click"); }
  void List1_DblClick() override { Fail("List1_DblClick"); }

 private:
  void Fail(const std::string& handler) {
    ++calls;
    throw std::runtime_error(handler + " failed");
  }
  platform::Runtime& runtime_;
};

TEST(FakeBackend, GuardsEveryEventAndRunsNoneAfterEnd) {
  platform::fake::FakeBackend ui(kUiDescription);
  FailingEvents events(ui.runtime);
  ui.Start(events);
  ui.MoveMouseOverList();
  ui.MoveMouseOverCheck1();
  ui.MoveMouseOverCheck2();
  ui.MoveMouseOverBackground();
  ui.DoubleClickList();
  ui.check1.SetValue(1);  // raises the click, as a user's click does
  EXPECT_EQ(ui.runtime.Messages(),
            (Messages{"Form_Load failed", "List1_MouseMove failed", "Check1_MouseMove failed",
                      "Check2_MouseMove failed", "Form_MouseMove failed", "List1_DblClick failed",
                      "Check1_Click failed"}));

  ui.CloseWindow();
  const int calls = events.calls;
  ui.MoveMouseOverList();
  ui.ClickCheck2();
  ui.DoubleClickList();
  ui.CloseWindow();
  EXPECT_EQ(events.calls, calls);
  EXPECT_EQ(ui.runtime.Messages().size(), 7u);
}

}  // namespace
}  // namespace velloran::testing
