#pragma once

#include <QtCore/QElapsedTimer>
#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtWidgets/QWidget>
#include <deque>
#include <functional>

namespace velloran::platform::qt {

// Plays the user's part in modal dialogs and message boxes: each time a new
// modal window becomes active, the next step is run on it. A modal window
// that no step expects, or one still open long after its step ran, fails the
// test and is closed, so a test never hangs.
class ModalDriver {
 public:
  using Step = std::function<void(QWidget& modal)>;

  ModalDriver();
  void Then(Step step) { steps_.push_back(std::move(step)); }
  bool AllStepsRan() const { return steps_.empty(); }

 private:
  void Poll();

  std::deque<Step> steps_;
  QPointer<QWidget> last_handled_;
  QElapsedTimer since_step_;
  QTimer timer_;
};

}  // namespace velloran::platform::qt
