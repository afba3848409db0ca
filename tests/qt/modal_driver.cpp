#include "tests/qt/modal_driver.h"

#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>

namespace velloran::platform::qt {

ModalDriver::ModalDriver() {
  timer_.setInterval(20);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  timer_.start();
}

namespace {

constexpr qint64 kStepTimeoutMs = 10000;

void CloseModal(QWidget& modal) {
  if (auto* dialog = qobject_cast<QDialog*>(&modal)) {
    dialog->reject();
  } else {
    modal.close();
  }
}

}  // namespace

void ModalDriver::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) return;
  if (modal == last_handled_) {
    if (since_step_.elapsed() > kStepTimeoutMs) {
      ADD_FAILURE() << "Modal window still open after its step: \""
                    << modal->windowTitle().toStdString() << "\"";
      CloseModal(*modal);
    }
    return;
  }
  last_handled_ = modal;
  since_step_.start();
  if (steps_.empty()) {
    ADD_FAILURE() << "Unexpected modal window: " << modal->metaObject()->className() << " \""
                  << modal->windowTitle().toStdString() << "\"";
    CloseModal(*modal);
    return;
  }
  // As on a desktop, the new modal window is the active one, with its focus.
  // A window that stops being the modal one meanwhile was on its way out.
  const auto still_modal = [modal] { return QApplication::activeModalWidget() == modal; };
  const bool exposed = QTest::qWaitForWindowExposed(modal);
  if (still_modal()) modal->activateWindow();
  const bool active = still_modal() && QTest::qWaitForWindowActive(modal);
  if (!still_modal() || !modal->isVisible()) {
    last_handled_ = nullptr;
    return;
  }
  EXPECT_TRUE(exposed);
  EXPECT_TRUE(active);
  // A step may open the next modal window and wait in it, so it runs apart
  // from this poll, which must keep coming. A window can be active for a
  // moment on its way out (a dialog whose own question was just answered);
  // if it is gone or no longer the active modal one by then, the step waits
  // for the next modal window instead.
  QTimer::singleShot(
      0, &timer_, [this, step = std::move(steps_.front()), target = QPointer<QWidget>(modal)] {
        if (target && target->isVisible() && QApplication::activeModalWidget() == target) {
          step(*target);
        } else {
          steps_.push_front(step);
          last_handled_ = nullptr;
        }
      });
  steps_.pop_front();
}

}  // namespace velloran::platform::qt
