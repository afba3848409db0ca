// QtRuntime::RunWork: the work on a thread of its own while the user-interface
// thread waits in an event loop of its own, and the progress window.
#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>
#include <memory>

#include "platform/gui/background_work.h"
#include "platform/gui/progress_layout.h"
#include "platform/gui/qt/progress_dialog.h"
#include "platform/gui/qt/qt_runtime.h"
#include "platform/gui/qt/window_system.h"

namespace velloran::platform::qt {
namespace {

// Drops the user's input (mouse, keys, wheel, touch) to `window` and its
// controls for as long as it lives. Painting, and the window system's own
// requests such as closing the window, still get through.
class InputBlocker final : public QObject {
 public:
  explicit InputBlocker(QWidget& window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
  }
  InputBlocker(const InputBlocker&) = delete;
  InputBlocker& operator=(const InputBlocker&) = delete;
  ~InputBlocker() override { QCoreApplication::instance()->removeEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!event->isInputEvent() || !watched->isWidgetType()) return false;
    return static_cast<QWidget*>(watched)->window() == &window_;
  }

 private:
  QWidget& window_;
};

}  // namespace

// A close of the window asked for while the work ran comes as soon as the
// work has stopped, before the caller goes on: unloading the window ends the
// program there, and the run that called RunWork shows nothing more.
WorkEnd QtRuntime::RunWork(const std::string& subject, const Work& work) {
  return work_.WaitThenClose([&] { return WaitForWork(subject, work); },
                             [this] { main_window_.close(); });
}

WorkEnd QtRuntime::WaitForWork(const std::string& subject, const Work& work) {
  QEventLoop loop;
  // Wakes the loop from the work's thread; the queued call runs in the loop.
  BackgroundWork background(
      work, [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
  const WorkState::Running running(work_, [&background] { background.RequestStop(); });
  const InputBlocker blocker(main_window_);

  QElapsedTimer elapsed;
  elapsed.start();
  std::unique_ptr<ProgressDialog> dialog;
  QTimer poll;
  poll.setInterval(kWorkPollInterval);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!dialog && elapsed.elapsed() >= kProgressWindowDelay.count()) {
      dialog = std::make_unique<ProgressDialog>(progress_window_, title_,
                                                QString::fromStdString(subject), main_window_);
      QObject::connect(dialog.get(), &ProgressDialog::stopRequested,
                       [&background] { background.RequestStop(); });
      dialog->ShowReport(background.Latest());
      dialog->show();
    }
    if (dialog) dialog->ShowReport(background.Latest());
  });
  poll.start();

  // Only the work's end quits the loop with 0. A loop that ends otherwise
  // (the application quitting) asks the work to stop and waits for it.
  while (!background.Ended()) {
    if (loop.exec() != 0) {
      background.RequestStop();
      break;
    }
  }
  poll.stop();
  if (dialog) ReturnActivation(main_window_, *dialog);
  dialog.reset();
  return background.Finish();
}

}  // namespace velloran::platform::qt
