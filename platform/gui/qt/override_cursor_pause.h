#pragma once

#include <QtCore/QList>
#include <QtGui/QCursor>
#include <QtWidgets/QApplication>

namespace velloran::platform::qt {

// Lifts the application's override cursors (the busy pointer) while a modal
// dialog or message box waits for the user, and puts them back afterwards.
class OverrideCursorPause {
 public:
  OverrideCursorPause() {
    while (const QCursor* cursor = QApplication::overrideCursor()) {
      paused_.prepend(*cursor);
      QApplication::restoreOverrideCursor();
    }
  }
  ~OverrideCursorPause() {
    for (const QCursor& cursor : paused_) QApplication::setOverrideCursor(cursor);
  }
  OverrideCursorPause(const OverrideCursorPause&) = delete;
  OverrideCursorPause& operator=(const OverrideCursorPause&) = delete;

 private:
  QList<QCursor> paused_;  // bottom of the stack first
};

}  // namespace velloran::platform::qt
