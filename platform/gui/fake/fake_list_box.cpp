#include "platform/gui/fake/fake_list_box.h"

#include "platform/gui/list_index.h"

namespace velloran::platform::fake {

void FakeListBox::RemoveItem(int index) {
  CheckListIndex(index, ListCount(), "remove");
  entries_.erase(entries_.begin() + index);
  // Like a real list box, the selection goes with the removed entry.
  selected_ = -1;
}

std::string FakeListBox::List(int index) const {
  CheckListIndex(index, ListCount(), "read");
  return entries_[static_cast<std::size_t>(index)];
}

}  // namespace velloran::platform::fake
