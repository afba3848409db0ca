// The Qt window on a real X server under a real window manager (openbox, on
// Xvfb; see tests/x11/with_window_manager.sh), watched and driven from a
// connection of its own as a user would: the frame, the place, the mouse
// buttons, what the screen shows.
#include <gtest/gtest.h>

#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QToolTip>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/form1.h"
#include "app/ui_description.h"
#include "platform/gui/qt/qt_backend.h"
#include "tests/qt/recording_events.h"
#include "tests/x11/x_display.h"

namespace velloran::platform::qt {
namespace {

using testing::XDisplay;
constexpr int kLeftButton = 1;
constexpr int kMiddleButton = 2;
constexpr int kRightButton = 3;

class WindowManagerTest : public ::testing::Test {
 protected:
  WindowManagerTest() : backend_(argc_, nullptr, kUiDescription) {}

  // Starts the program's window as the program does, and waits until the
  // window manager has framed it and Qt knows where it is.
  void Start(FormEvents& events) {
    ASSERT_TRUE(backend_.Start(events));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
    ASSERT_TRUE(QTest::qWaitFor([this] {
      return x_.Cardinals(window(), "_NET_FRAME_EXTENTS").size() == 4 &&
             form().mapToGlobal(QPoint(0, 0)) == ClientTopLeftOnScreen();
    }));
  }

  FormWidget& form() { return backend_.Form(); }
  Controls controls() { return backend_.GetControls(); }
  xcb_window_t window() { return static_cast<xcb_window_t>(form().winId()); }
  QPoint ClientTopLeftOnScreen() {
    const QRect outer = x_.OuterRect(window());
    const std::vector<uint32_t> frame = x_.Cardinals(window(), "_NET_FRAME_EXTENTS");
    return frame.size() == 4
               ? outer.topLeft() + QPoint(static_cast<int>(frame[0]), static_cast<int>(frame[2]))
               : outer.topLeft();
  }
  QRect OnScreen(const QWidget& widget) {
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
  }

  static inline int argc_ = 0;
  XDisplay x_;
  QtBackend backend_;
};

// The real program: Form1 and its handlers.
class ProgramTest : public WindowManagerTest {
 protected:
  ProgramTest() : form1_(backend_.GetControls()) {}
  Form1 form1_;
};

TEST_F(ProgramTest, OpensCentredWithItsFrameAndTheFocus) {
  Start(form1_);
  const QRect outer = x_.OuterRect(window());
  const QSize screen = x_.ScreenSize();
  EXPECT_GT(outer.height(), form().height()) << "no title bar";
  EXPECT_NEAR(outer.x(), (screen.width() - outer.width()) / 2.0, 1.0);
  EXPECT_NEAR(outer.y(), (screen.height() - outer.height()) / 2.0, 1.0);
  // The program sees the same outer size in twips.
  EXPECT_FLOAT_EQ(controls().form.Width(), static_cast<float>(outer.width() * 15));
  EXPECT_FLOAT_EQ(controls().form.Height(), static_cast<float>(outer.height() * 15));

  // The keyboard works at once: the window is active, the unseen Command1
  // holds the focus.
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  EXPECT_EQ(QApplication::focusWidget(), &form().command1());
}

// What the window manager lets the user do with `window`: close and move it,
// nothing else.
void ExpectFixedFrame(XDisplay& x, xcb_window_t window, const std::string& which) {
  const std::vector<std::string> allowed = x.AtomNames(window, "_NET_WM_ALLOWED_ACTIONS");
  const auto offers = [&allowed](const std::string& action) {
    return std::find(allowed.begin(), allowed.end(), "_NET_WM_ACTION_" + action) != allowed.end();
  };
  EXPECT_TRUE(offers("CLOSE")) << which;
  EXPECT_TRUE(offers("MOVE")) << which;
  for (const char* action :
       {"MINIMIZE", "MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE", "FULLSCREEN"}) {
    EXPECT_FALSE(offers(action)) << which << ": " << action;
  }
}

TEST_F(ProgramTest, TheFrameIsFixedWithTheCloseButtonOnly) {
  Start(form1_);
  ExpectFixedFrame(x_, window(), "Form1");
  const std::vector<std::string> state = x_.AtomNames(window(), "_NET_WM_STATE");
  EXPECT_NE(std::find(state.begin(), state.end(), "_NET_WM_STATE_SKIP_TASKBAR"), state.end());
}

// The message box and the progress window of long work get the same frame as
// the window they belong to.
TEST_F(ProgramTest, TheMessageBoxAndTheProgressWindowHaveTheSameFixedFrame) {
  Start(form1_);
  const auto check_modal = [this](const std::string& which) {
    QWidget* modal = nullptr;
    if (!QTest::qWaitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; })) {
      ADD_FAILURE() << which << " never showed";
      return;
    }
    const auto modal_window = static_cast<xcb_window_t>(modal->winId());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !x_.AtomNames(modal_window, "_NET_WM_ALLOWED_ACTIONS").empty(); }));
    ExpectFixedFrame(x_, modal_window, which);
    modal->close();
  };
  QTimer::singleShot(0, [&] { check_modal("message box"); });
  controls().runtime.MsgBox("Velloran");

  std::atomic<bool> checked = false;
  QTimer::singleShot(0, [&] {
    check_modal("progress window");
    checked = true;
  });
  controls().runtime.RunWork("/w/a.txt", [&checked](platform::Progress& progress) {
    while (!checked && !progress.StopRequested()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
}

TEST_F(ProgramTest, OnlyALeftDoubleClickTakesAnEntryOff) {
  Start(form1_);
  for (const char* path : {"/w/a.txt", "/w/b.txt", "/w/c.txt"}) controls().list1.AddItem(path);
  HorizontalListWidget& list = form().list1();
  x_.MovePointer(list.viewport()->mapToGlobal(list.visualItemRect(list.item(1)).center()));
  x_.Click(kLeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return controls().list1.ListIndex() == 1; }));

  // The right and middle double-clicks take nothing off; the left one takes
  // b.txt. Then a moment for anything else the clicks might do.
  x_.DoubleClick(kRightButton);
  x_.DoubleClick(kMiddleButton);
  x_.DoubleClick(kLeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return controls().list1.ListCount() < 3; }));
  QTest::qWait(300);
  ASSERT_EQ(controls().list1.ListCount(), 2);
  EXPECT_EQ(controls().list1.List(0), "/w/a.txt");
  EXPECT_EQ(controls().list1.List(1), "/w/c.txt");
}

// Check2's handler as the program writes it, looking at the screen the moment
// its action starts, without letting the event loop run.
TEST_F(WindowManagerTest, TheButtonShowsRaisedOnScreenBeforeItsActionStarts) {
  RecordingEvents events;
  bool action_started = false;
  bool raised_at_action = false;
  QImage raised;
  QPushButton& button = form().check2();
  events.actions["Check2_Click"] = [&] {
    if (controls().check2.Value() != 1) return;
    controls().check2.SetValue(0);
    action_started = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!raised_at_action && std::chrono::steady_clock::now() < deadline) {
      raised_at_action = x_.Capture(OnScreen(button)) == raised;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  };
  Start(events);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));  // as the click will leave it
  x_.MovePointer(OnScreen(button).center());
  button.setFocus(Qt::MouseFocusReason);  // as the click will leave it
  QTest::qWait(200);
  raised = x_.Capture(OnScreen(button));

  // The press shows on screen before the button is let go.
  x_.PressButton(kLeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return x_.Capture(OnScreen(button)) != raised; }));
  x_.ReleaseButton(kLeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return action_started; }));
  EXPECT_TRUE(raised_at_action);
}

// The frame a plain button of the same size draws: the picture buttons must
// show the same ring of frame pixels, whatever their pictures cover.
TEST_F(WindowManagerTest, TheFrameStaysWholeAroundEachPicture) {
  RecordingEvents events;
  Start(events);
  for (QPushButton* button : {&form().check1(), &form().check2()}) {
    QPushButton plain(&form());
    plain.setPalette(button->palette());
    plain.setCheckable(true);
    plain.setGeometry(button->geometry());
    plain.show();
    const QImage framed = button->grab().toImage();
    const QImage expected = plain.grab().toImage();
    ASSERT_EQ(framed.size(), expected.size());
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    const QRect inside = framed.rect().adjusted(frame, frame, -frame, -frame);
    int differing = 0;
    for (int y = 0; y < framed.height(); ++y) {
      for (int x = 0; x < framed.width(); ++x) {
        if (!inside.contains(x, y) && framed.pixel(x, y) != expected.pixel(x, y)) ++differing;
      }
    }
    EXPECT_EQ(differing, 0) << button->objectName().toStdString();
  }
}

TEST_F(WindowManagerTest, TheFocusedEmptyListShowsAFocusMark) {
  RecordingEvents events;
  Start(events);
  HorizontalListWidget& list = form().list1();
  ASSERT_EQ(list.count(), 0);
  const QColor base = list.palette().color(QPalette::Base);
  const auto marked_pixels = [&] {
    const QImage shown = list.viewport()->grab().toImage();
    int marked = 0;
    for (int y = 0; y < list.fontMetrics().height() + 2; ++y) {
      for (int x = 0; x < shown.width(); ++x) marked += shown.pixelColor(x, y) != base ? 1 : 0;
    }
    return marked;
  };
  EXPECT_EQ(marked_pixels(), 0);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  QTest::keyClick(&form().command1(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), &list);
  EXPECT_GT(marked_pixels(), 0);
}

TEST_F(WindowManagerTest, TheToolTipShowsOnHoverWhileTheWindowIsInactive) {
  RecordingEvents events;
  Start(events);
  QWidget other;
  other.setGeometry(0, 0, 120, 80);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  ASSERT_FALSE(form().isActiveWindow());

  const QRect list = OnScreen(*form().list1().viewport());
  x_.MovePointer(list.center());
  x_.MovePointer(list.center() + QPoint(3, 3));
  EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
  EXPECT_EQ(QToolTip::text(), QStringLiteral("Double click list item to remove it."));
  EXPECT_FALSE(form().isActiveWindow());
}

}  // namespace
}  // namespace velloran::platform::qt
