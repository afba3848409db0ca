#include "platform/gui/qt/qt_common_dialog.h"

#include <QtCore/QFileInfo>
#include <QtCore/QItemSelectionModel>
#include <QtCore/QTimer>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QCompleter>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "platform/gui/qt/file_dialog_format.h"
#include "platform/gui/qt/override_cursor_pause.h"
#include "platform/gui/qt/window_system.h"

namespace velloran::platform::qt {
namespace {

// Title, filter and starting place, shared by the open and the save dialog.
void ApplySettings(QFileDialog& dialog, const CommonDialog& settings) {
  if (!settings.DialogTitle().empty()) {
    dialog.setWindowTitle(QString::fromStdString(settings.DialogTitle()));
  }
  const QStringList name_filters = NameFiltersFromFilter(settings.Filter());
  if (!name_filters.isEmpty()) {
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(name_filters);
  }
  const StartingPlace start = StartingPlaceFromFileName(settings.FileName());
  dialog.setDirectory(start.folder);
  if (!start.file_name.isEmpty()) dialog.selectFile(start.file_name);
}

// The open dialog takes any name, typed names of missing files included, as
// nothing asks for existing files; several may be picked at once when the
// flags allow it. Qt offers several picks only together with the existence
// test, so the views are switched to extended selection here.
void AllowAnyFiles(QFileDialog& dialog, bool several) {
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!several) return;
  for (auto* view : dialog.findChildren<QAbstractItemView*>()) {
    if (view->objectName() == QLatin1String("listView") ||
        view->objectName() == QLatin1String("treeView")) {
      view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
  }
}

QCheckBox& AddReadOnlyCheckBox(QFileDialog& dialog, std::string_view label, bool ticked) {
  auto* read_only =
      new QCheckBox(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())), &dialog);
  read_only->setObjectName(QStringLiteral("readOnlyCheckBox"));
  read_only->setChecked(ticked);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(read_only, grid->rowCount(), 0, 1, grid->columnCount());
  }
  return *read_only;
}

// The name field offers completions in a list of its own, which takes Enter
// for itself: with the list showing, Enter would only close it. Unless the
// user has moved into the list to pick an entry, Enter confirms what was
// typed, as it does without the list.
void ConfirmTypedNameOnEnter(QFileDialog& dialog) {
  auto* name_field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  if (name_field == nullptr || buttons == nullptr) return;
  QObject::connect(name_field, &QLineEdit::returnPressed, &dialog, [&dialog, name_field, buttons] {
    const QCompleter* completer = name_field->completer();
    if (completer == nullptr || !completer->popup()->isVisible() ||
        completer->popup()->currentIndex().isValid()) {
      return;
    }
    // Once the list has closed.
    QTimer::singleShot(0, &dialog, [&dialog, buttons] {
      QPushButton* confirm =
          buttons->button(dialog.acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open
                                                                         : QDialogButtonBox::Save);
      if (confirm != nullptr && confirm->isEnabled()) confirm->click();
    });
  });
}

// What the user types in the name field is what they pick. Qt's dialog puts
// the files chosen in its list ahead of the typed names, and its list can
// keep a choice the typing no longer means: the previous pick it opened at,
// or a folder passed on the way while a full path was typed, which typing
// lets go of only while the name field holds the focus. Such a file then
// stood in for the typed one, or such a folder disabled Open. Each edit of
// the name field clears the list's choice, so the dialog takes the typed
// names: full paths, bare or quoted names alike.
void LetTypedNamesWin(QFileDialog& dialog) {
  auto* name_field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  auto* list = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
  if (name_field == nullptr || list == nullptr || list->selectionModel() == nullptr) return;
  QObject::connect(name_field, &QLineEdit::textEdited, list->selectionModel(),
                   &QItemSelectionModel::clearSelection);
}

bool RunModal(QFileDialog& dialog, QWidget& owner) {
  LetTypedNamesWin(dialog);
  ConfirmTypedNameOnEnter(dialog);
  const OverrideCursorPause pause;
  const bool accepted = dialog.exec() == QDialog::Accepted;
  ReturnActivation(owner, dialog);
  return accepted && !dialog.selectedFiles().isEmpty();
}

}  // namespace

bool QtCommonDialog::ShowOpen() {
  QFileDialog dialog(&parent_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  AllowAnyFiles(dialog, (Flags() & kOfnAllowMultiselect) != 0);
  ApplySettings(dialog, *this);
  const QCheckBox& read_only =
      AddReadOnlyCheckBox(dialog, read_only_label_, (Flags() & kOfnReadOnly) != 0);
  if (!RunModal(dialog, parent_)) return false;

  // Folders picked together with files are left out, as no entry can use them.
  QStringList picked = dialog.selectedFiles();
  if (picked.size() > 1)
    picked.removeIf([](const QString& path) { return QFileInfo(path).isDir(); });
  if (picked.isEmpty()) return false;
  SetFileName(ExplorerReport(dialog.directory().absolutePath(), picked));
  WriteBackReadOnly(read_only.isChecked());
  return true;
}

// Qt's save dialog asks before it replaces an existing file.
bool QtCommonDialog::ShowSave() {
  QFileDialog dialog(&parent_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  ApplySettings(dialog, *this);
  if (!RunModal(dialog, parent_)) return false;

  SetFileName(dialog.selectedFiles().first().toStdString());
  return true;
}

}  // namespace velloran::platform::qt
