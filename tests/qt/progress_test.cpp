// Work off the user-interface thread on the Qt backend: the progress window
// that long work opens and its Cancel, the main window kept painted and deaf
// to clicks meanwhile, and the program's run stopped by Cancel. (Closing the
// window during work is tested with the window manager's real request, in
// user_test.cpp.)
#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <algorithm>
#include <chrono>
#include <thread>

#include "app/form1.h"
#include "platform/error.h"
#include "platform/gui/qt/progress_dialog.h"
#include "tests/qt/qt_fixture.h"
#include "tests/qt/user_steps.h"
#include "tests/qt/work_folder.h"
#include "tests/support/slow_work.h"

namespace velloran::platform::qt {
namespace {

using namespace std::chrono_literals;
using testing::BusyWork;
using testing::TimedWork;

constexpr char kSubject[] = "/home/ann/lists/names & numbers.txt";

// What the progress window showed when the user first saw it.
struct ProgressSeen {
  qint64 after_ms = -1;  // since the work started
  QString title;
  QString path;
  QString step;
  QString button;
  Qt::WindowModality modality = Qt::NonModal;
  QWidget* parent = nullptr;
  std::vector<int> bar;  // sampled while it was open
};

ProgressDialog* AsProgressDialog(QWidget& modal) {
  auto* dialog = qobject_cast<ProgressDialog*>(&modal);
  if (dialog == nullptr) {
    ADD_FAILURE() << "expected the progress window, found " << modal.metaObject()->className()
                  << " \"" << modal.windowTitle().toStdString() << "\"";
    modal.close();
  }
  return dialog;
}

// Reads the progress window, samples its bar for `watch`, then does `then`.
ModalDriver::Step WatchProgress(
    ProgressSeen* seen, const QElapsedTimer* since = nullptr, std::chrono::milliseconds watch = 0ms,
    const std::function<void(ProgressDialog&)>& then = [](ProgressDialog&) {}) {
  return [=](QWidget& modal) {
    ProgressDialog* dialog = AsProgressDialog(modal);
    if (dialog == nullptr) return;
    if (seen != nullptr) {
      if (since != nullptr) seen->after_ms = since->elapsed();
      seen->title = dialog->windowTitle();
      seen->path = dialog->findChild<QLabel*>(QStringLiteral("Path"))->text();
      seen->step = dialog->findChild<QLabel*>(QStringLiteral("Step"))->text();
      seen->button = dialog->findChild<QPushButton*>(QStringLiteral("Cancel"))->text();
      seen->modality = dialog->windowModality();
      seen->parent = dialog->parentWidget();
      const QPointer<ProgressDialog> alive(dialog);
      for (auto waited = 0ms; waited < watch && alive; waited += 100ms) {
        seen->bar.push_back(alive->findChild<QProgressBar*>(QStringLiteral("Bar"))->value());
        QTest::qWait(100);
      }
      if (!alive) return;
    }
    then(*dialog);
  };
}

ModalDriver::Step PressCancel(ProgressSeen* seen = nullptr) {
  return WatchProgress(seen, nullptr, 0ms, [](ProgressDialog& dialog) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Cancel")), Qt::LeftButton);
  });
}

class ProgressTest : public QtBackendTest {
 protected:
  void SetUp() override { ShowForm(); }
  WorkEnd RunWork(const Work& work) { return controls().runtime.RunWork(kSubject, work); }
  bool ProgressWindowLeft() { return !form().findChildren<ProgressDialog*>().isEmpty(); }
};

TEST_F(ProgressTest, QuickWorkOpensNoWindow) {
  ModalDriver user;  // fails the test on any modal window
  EXPECT_EQ(RunWork(TimedWork(150ms)), WorkEnd::kFinished);
  EXPECT_FALSE(ProgressWindowLeft());
}

TEST_F(ProgressTest, SlowWorkShowsThePathTheStepAndAMovingBar) {
  ModalDriver user;
  ProgressSeen seen;
  QElapsedTimer since;
  user.Then(WatchProgress(&seen, &since, 600ms));
  since.start();
  EXPECT_EQ(RunWork(TimedWork(1500ms, WorkStep::kRemoving, WorkStep::kWriting)),
            WorkEnd::kFinished);

  ASSERT_TRUE(user.AllStepsRan());
  EXPECT_GE(seen.after_ms, 450);
  EXPECT_LT(seen.after_ms, 1000);
  EXPECT_EQ(seen.title, QStringLiteral("Velloran"));
  EXPECT_EQ(seen.path, QString::fromUtf8(kSubject));
  EXPECT_EQ(seen.step, QStringLiteral("Removing repeats..."));
  EXPECT_EQ(seen.button, QStringLiteral("Cancel"));
  EXPECT_EQ(seen.modality, Qt::WindowModal);
  EXPECT_EQ(seen.parent, &form());
  ASSERT_GE(seen.bar.size(), 3u);
  EXPECT_TRUE(std::is_sorted(seen.bar.begin(), seen.bar.end()));
  EXPECT_GT(seen.bar.back(), seen.bar.front());
  EXPECT_FALSE(ProgressWindowLeft());
}

TEST_F(ProgressTest, TheWindowIsLaidOutAsDescribed) {
  ModalDriver user;
  user.Then([](QWidget& modal) {
    ProgressDialog* dialog = AsProgressDialog(modal);
    if (dialog == nullptr) return;
    EXPECT_EQ(dialog->size(), QSize(400, 125));
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("Path"))->geometry(),
              QRect(12, 12, 376, 16));
    EXPECT_EQ(dialog->findChild<QProgressBar*>(QStringLiteral("Bar"))->geometry(),
              QRect(12, 60, 376, 18));
    auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("Cancel"));
    EXPECT_EQ(cancel->geometry(), QRect(313, 90, 75, 23));
    EXPECT_EQ(QApplication::focusWidget(), cancel);
    EXPECT_EQ(dialog->windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    QTest::keyClick(cancel, Qt::Key_Escape);
  });
  EXPECT_EQ(RunWork(TimedWork(5s)), WorkEnd::kStopRequested);
}

TEST_F(ProgressTest, CancelStopsTheWorkAndGreysItself) {
  ModalDriver user;
  bool greyed = false;
  user.Then([&greyed](QWidget& modal) {
    ProgressDialog* dialog = AsProgressDialog(modal);
    if (dialog == nullptr) return;
    auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("Cancel"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    greyed = !cancel->isEnabled();
  });
  QElapsedTimer took;
  took.start();
  EXPECT_EQ(RunWork(TimedWork(10s)), WorkEnd::kStopRequested);
  EXPECT_LT(took.elapsed(), 5000);
  EXPECT_TRUE(greyed);
  EXPECT_FALSE(ProgressWindowLeft());
}

TEST_F(ProgressTest, EscapeAndTheFrameCloseButtonStopTheWorkToo) {
  for (const bool escape : {true, false}) {
    ModalDriver user;
    user.Then([escape](QWidget& modal) {
      if (escape) {
        QTest::keyClick(&modal, Qt::Key_Escape);
      } else {
        modal.close();
      }
    });
    EXPECT_EQ(RunWork(TimedWork(10s)), WorkEnd::kStopRequested) << (escape ? "Escape" : "close");
  }
}

TEST_F(ProgressTest, WorkThatEndsDespiteAStopSaysSo) {
  ModalDriver user;
  user.Then(PressCancel());
  // Work that never asks whether to stop: it ends, and the stop is told.
  const WorkEnd end = RunWork([](Progress&) { std::this_thread::sleep_for(900ms); });
  EXPECT_EQ(end, WorkEnd::kStopRequested);
}

TEST_F(ProgressTest, AnErrorInTheWorkComesBackHere) {
  EXPECT_THROW(RunWork([](Progress&) { throw Error("Cannot read", "/x", "gone"); }), Error);
}

// Paint requests and timer ticks are answered within a tenth of a second
// while the work keeps its own thread busy. The process's first text in the
// default font, which the progress window brings, costs a one-time load of
// the font (a fifth of a second under the sanitizers) that is not the work's
// doing, so some is drawn first.
TEST_F(ProgressTest, TheWindowKeepsBeingPaintedWhileWorkRuns) {
  QLabel(QStringLiteral("Reading...")).grab();
  struct PaintWatch : QObject {
    QElapsedTimer since_request;
    bool requested = false;
    qint64 longest_wait = 0;
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) {
        ++paints;
        if (requested) longest_wait = std::max(longest_wait, since_request.elapsed());
        requested = false;
      }
      return false;
    }
  } watch;
  form().installEventFilter(&watch);
  QElapsedTimer since_tick;
  qint64 longest_tick = 0;
  QTimer ticks;
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    if (since_tick.isValid()) longest_tick = std::max(longest_tick, since_tick.elapsed());
    since_tick.start();
    if (!watch.requested) {
      watch.requested = true;
      watch.since_request.start();
      form().update();
    }
  });
  ticks.start(20);
  ModalDriver user;
  user.Then(WatchProgress(nullptr));
  EXPECT_EQ(RunWork(BusyWork(1500ms)), WorkEnd::kFinished);
  ticks.stop();
  form().removeEventFilter(&watch);
  EXPECT_GE(watch.paints, 10);
  EXPECT_LT(watch.longest_wait, 100);
  EXPECT_LT(longest_tick, 100);
}

TEST_F(ProgressTest, ClicksKeysAndMovesOnTheWindowAreNotActedOnWhileWorkRuns) {
  controls().list1.AddItem("/a.txt");
  const auto poke = [this] {
    QTest::mouseMove(&form().check2());
    QTest::mouseClick(&form().check1(), Qt::LeftButton);
    QTest::mouseClick(&form().check2(), Qt::LeftButton);
    QListWidget& list = form().list1();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                       list.visualItemRect(list.item(0)).center());
    form().check2().setFocus();
    QTest::keyClick(&form().check2(), Qt::Key_Space);
  };
  QTimer::singleShot(100, poke);  // before the progress window opens
  ModalDriver user;
  user.Then(WatchProgress(nullptr, nullptr, 0ms, [&poke](ProgressDialog&) { poke(); }));
  EXPECT_EQ(RunWork(TimedWork(1200ms)), WorkEnd::kFinished);
  EXPECT_TRUE(events_.calls.empty()) << events_.calls.front();
  EXPECT_FALSE(form().check1().isChecked());
  EXPECT_FALSE(form().check2().isChecked());
  EXPECT_EQ(controls().list1.ListCount(), 1);

  QTest::mouseClick(&form().check1(), Qt::LeftButton);  // and afterwards they are
  EXPECT_EQ(events_.calls, std::vector<std::string>{"Check1_Click"});
}

// The program's run on slow files, played as a user would.
class SlowRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_.Attach(form1_);
    backend_.Form().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&backend_.Form()));
  }

  std::string InDir(const char* name) const { return dir_.In(name); }
  void WriteFile(const char* name, const QByteArray& bytes) { dir_.Write(name, bytes); }
  QByteArray ReadFile(const char* name) const { return dir_.Read(name); }
  QStringList Folder() const { return QDir(dir_.path()).entryList(QDir::Files, QDir::Name); }
  void List(const char* name) { backend_.GetControls().list1.AddItem(InDir(name)); }
  void Remove() { QTest::mouseClick(&backend_.Form().check2(), Qt::LeftButton); }

  static inline int argc_ = 0;
  testing::WorkFolder dir_;
  QtBackend backend_{argc_, nullptr, kUiDescription};
  // Each piece of work on `slow.txt` starts after a second; on other files at
  // once.
  testing::SlowWorkRuntime slow_{backend_.GetControls().runtime, 1s, InDir("slow.txt")};
  Controls controls_{backend_.GetControls()};
  Form1 form1_{Controls{controls_.form, controls_.list1, controls_.check1, controls_.check2,
                        controls_.commonDialog1, slow_}};
  ModalDriver user_;
};

TEST_F(SlowRunTest, ASlowFileLeftAloneFinishesWithTheUsualMessages) {
  WriteFile("slow.txt", "q\nr\nq\n");
  List("slow.txt");
  ProgressSeen reading;
  ProgressSeen writing;
  MessageSeen created;
  user_.Then(WatchProgress(&reading));
  user_.Then(TypeAndConfirm(QStringLiteral("out.txt")));
  user_.Then(WatchProgress(&writing));
  user_.Then(Answer(&created));
  Remove();

  ASSERT_TRUE(user_.AllStepsRan());
  EXPECT_EQ(reading.path.toStdString(), InDir("slow.txt"));
  EXPECT_EQ(writing.path.toStdString(), InDir("slow.txt"));
  EXPECT_EQ(created.text.toStdString(), "File(s) created: \n\n" + InDir("out.txt"));
  EXPECT_EQ(ReadFile("out.txt"), QByteArray("q\r\nr\r\n"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The file being read is left alone, no further file is read, and the
// closing message names the file written before.
TEST_F(SlowRunTest, CancelStopsTheRunAndNamesWhatWasWrittenBefore) {
  WriteFile("fast.txt", "a\na\n");
  WriteFile("slow.txt", "q\nq\n");
  WriteFile("later.txt", "z\nz\n");
  for (const char* name : {"fast.txt", "slow.txt", "later.txt"}) List(name);
  MessageSeen created;
  user_.Then(TypeAndConfirm(QStringLiteral("fast-out.txt")));
  user_.Then(PressCancel());
  user_.Then(Answer(&created));
  Remove();

  ASSERT_TRUE(user_.AllStepsRan());
  EXPECT_EQ(created.text.toStdString(), "File(s) created: \n\n" + InDir("fast-out.txt"));
  EXPECT_EQ(ReadFile("slow.txt"), QByteArray("q\nq\n"));
  EXPECT_EQ(Folder(), (QStringList{"fast-out.txt", "fast.txt", "later.txt", "slow.txt"}));
  EXPECT_FALSE(backend_.Form().check2().isChecked());
}

TEST_F(SlowRunTest, CancelWhileWritingOverTheSourceLeavesItAsItWas) {
  WriteFile("slow.txt", "q\nq\n");
  List("slow.txt");
  user_.Then(WatchProgress(nullptr));
  user_.Then(TypeAndConfirm(QStringLiteral("slow.txt")));
  user_.Then([](QWidget& modal) {  // asks before replacing the file
    QTest::keyClick(&modal, Qt::Key_Y, Qt::AltModifier);
  });
  user_.Then(PressCancel());
  Remove();
  QTest::qWait(200);  // a closing message would show up here

  EXPECT_TRUE(user_.AllStepsRan());
  EXPECT_EQ(ReadFile("slow.txt"), QByteArray("q\nq\n"));
  EXPECT_EQ(Folder(), QStringList{"slow.txt"});
}

}  // namespace
}  // namespace velloran::platform::qt
