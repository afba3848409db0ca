#include "platform/gui/qt/qt_list_box.h"

#include <QtCore/QItemSelectionModel>
#include <memory>
#include <string>

#include "platform/gui/list_index.h"

namespace velloran::platform::qt {

void QtListBox::AddItem(const std::string& text) { list_.addItem(QString::fromStdString(text)); }

void QtListBox::RemoveItem(int index) {
  CheckListIndex(index, list_.count(), "remove");
  const bool was_selected = ListIndex() == index;
  const std::unique_ptr<QListWidgetItem> removed(list_.takeItem(index));
  // The view would select the next entry in its place; a list box selects
  // nothing.
  if (was_selected) list_.clearSelection();
}

// The selected entry; the current entry alone (the keyboard's place) does not
// count, just as after a removal nothing is selected.
int QtListBox::ListIndex() const {
  const QModelIndexList selected = list_.selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.first().row();
}

int QtListBox::ListCount() const { return list_.count(); }

std::string QtListBox::List(int index) const {
  CheckListIndex(index, list_.count(), "read");
  return list_.item(index)->text().toStdString();
}

Font QtListBox::GetFont() const {
  const QFont font = list_.font();
  return {font.family().toStdString(), font.bold(), font.pointSizeF()};
}

void QtListBox::SetHorizontalExtent(int pixels) { list_.setHorizontalExtent(pixels); }

}  // namespace velloran::platform::qt
