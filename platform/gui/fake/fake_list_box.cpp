#include "platform/gui/fake/fake_list_box.h"

#include <stdexcept>

namespace velloran::platform::fake {

void FakeListBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) {
    throw std::out_of_range("RemoveItem: no entry " + std::to_string(index));
  }
  entries_.erase(entries_.begin() + index);
  // Like a real list box, the selection goes with the removed entry.
  selected_ = -1;
}

std::string FakeListBox::List(int index) const {
  if (index < 0 || index >= ListCount()) {
    throw std::out_of_range("List: no entry " + std::to_string(index));
  }
  return entries_[static_cast<std::size_t>(index)];
}

}  // namespace velloran::platform::fake
