#pragma once

#include "platform/gui/qt/horizontal_list_widget.h"
#include "platform/list_box.h"

namespace velloran::platform::qt {

// List1 as the handlers see it.
class QtListBox : public ListBox {
 public:
  explicit QtListBox(HorizontalListWidget& list) : list_(list) {}

  void AddItem(const std::string& text) override;
  void RemoveItem(int index) override;
  int ListIndex() const override;
  int ListCount() const override;
  std::string List(int index) const override;
  Font GetFont() const override;
  void SetHorizontalExtent(int pixels) override;

 private:
  HorizontalListWidget& list_;
};

}  // namespace velloran::platform::qt
