#pragma once

#include <QtCore/QString>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QMessageBox>

#include "tests/qt/modal_driver.h"

namespace velloran::platform::qt {

// What a file dialog showed when it opened.
struct FileDialogSeen {
  QString title;
  QString folder;
  QString file_name;  // the name field
  QString filter;
  bool read_only_box = false;
  bool read_only_ticked = false;
  bool several_allowed = false;  // Ctrl and Shift pick several files
  QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
};

// What a message box showed.
struct MessageSeen {
  QString title;
  QString text;
};

// Types `text` into the file dialog's name field and presses Enter.
ModalDriver::Step TypeAndConfirm(const QString& text, FileDialogSeen* seen = nullptr);
// Types `text` key by key over the name field's text, as a user does, so
// that the list of completions shows, then presses Enter once.
ModalDriver::Step TypeKeysAndConfirm(const QString& text);
// Presses the file dialog's Cancel button.
ModalDriver::Step Cancel(FileDialogSeen* seen = nullptr);
// Clicks the message box's button `button` (OK unless told).
ModalDriver::Step Answer(MessageSeen* seen, QMessageBox::StandardButton button = QMessageBox::Ok);

}  // namespace velloran::platform::qt
