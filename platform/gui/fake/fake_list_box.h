#pragma once

#include <string>
#include <vector>

#include "platform/gui/fake/fake_window.h"
#include "platform/list_box.h"
#include "platform/window_description.h"

namespace velloran::platform::fake {

class FakeListBox final : public ListBox {
 public:
  explicit FakeListBox(const ControlDescription& description)
      : font_(description.font.value_or(kDefaultFont)) {}

  void AddItem(const std::string& text) override { entries_.push_back(text); }
  void RemoveItem(int index) override;
  int ListIndex() const override { return selected_; }
  int ListCount() const override { return static_cast<int>(entries_.size()); }
  std::string List(int index) const override;
  Font GetFont() const override { return font_; }
  void SetHorizontalExtent(int pixels) override { extent_ = pixels; }

  // What the user does and what a test reads back.
  void Select(int index) { selected_ = index; }
  int HorizontalExtent() const { return extent_; }
  const std::vector<std::string>& Entries() const { return entries_; }

 private:
  Font font_;
  std::vector<std::string> entries_;
  int selected_ = -1;
  int extent_ = 0;
};

}  // namespace velloran::platform::fake
