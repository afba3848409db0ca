#include "tests/qt/user_steps.h"

#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListView>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>

namespace velloran::platform::qt {
namespace {

QFileDialog* AsFileDialog(QWidget& modal) {
  auto* dialog = qobject_cast<QFileDialog*>(&modal);
  if (dialog == nullptr) {
    ADD_FAILURE() << "expected a file dialog, found " << modal.metaObject()->className() << " \""
                  << modal.windowTitle().toStdString() << "\"";
    modal.close();
  }
  return dialog;
}

void Note(QFileDialog& dialog, FileDialogSeen* seen) {
  if (seen == nullptr) return;
  seen->title = dialog.windowTitle();
  seen->folder = dialog.directory().absolutePath();
  seen->file_name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
  seen->filter = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
  const auto* read_only = dialog.findChild<QCheckBox*>(QStringLiteral("readOnlyCheckBox"));
  seen->read_only_box = read_only != nullptr && read_only->isVisible();
  seen->read_only_ticked = read_only != nullptr && read_only->isChecked();
  seen->several_allowed =
      dialog.findChild<QListView*>(QStringLiteral("listView"))->selectionMode() ==
      QAbstractItemView::ExtendedSelection;
  seen->mode = dialog.acceptMode();
}

}  // namespace

ModalDriver::Step TypeAndConfirm(const QString& text, FileDialogSeen* seen) {
  return [text, seen](QWidget& modal) {
    QFileDialog* dialog = AsFileDialog(modal);
    if (dialog == nullptr) return;
    Note(*dialog, seen);
    auto* name_field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name_field->setFocus();
    // Typed text as a whole; keystrokes one by one would open the completion
    // list, which takes Enter for itself.
    name_field->setText(text);
    QTest::keyClick(name_field, Qt::Key_Return);
  };
}

ModalDriver::Step TypeKeysAndConfirm(const QString& text) {
  return [text](QWidget& modal) {
    QFileDialog* dialog = AsFileDialog(modal);
    if (dialog == nullptr) return;
    auto* name_field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name_field->setFocus();
    name_field->selectAll();
    QTest::keyClicks(name_field, text);
    // Keys go to the list of completions while it shows, as they do on a
    // desktop.
    QWidget* completions = QApplication::activePopupWidget();
    QTest::keyClick(completions != nullptr ? completions : name_field, Qt::Key_Return);
  };
}

ModalDriver::Step Cancel(FileDialogSeen* seen) {
  return [seen](QWidget& modal) {
    QFileDialog* dialog = AsFileDialog(modal);
    if (dialog == nullptr) return;
    Note(*dialog, seen);
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    buttons->button(QDialogButtonBox::Cancel)->click();
  };
}

ModalDriver::Step Answer(MessageSeen* seen, QMessageBox::StandardButton button) {
  return [seen, button](QWidget& modal) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    if (box == nullptr) {
      ADD_FAILURE() << "expected a message box, found " << modal.metaObject()->className();
      modal.close();
      return;
    }
    if (seen != nullptr) *seen = {box->windowTitle(), box->text()};
    box->button(button)->click();
  };
}

}  // namespace velloran::platform::qt
