#pragma once

#include <string>

#include "platform/font.h"

namespace velloran::platform {

// An unsorted single-selection list of text entries, numbered from 0.
//
// An index outside 0 to ListCount() - 1, given to List or RemoveItem, throws
// Error naming that index; nothing changes.
class ListBox {
 public:
  virtual ~ListBox() = default;

  virtual void AddItem(const std::string& text) = 0;
  virtual void RemoveItem(int index) = 0;
  virtual int ListIndex() const = 0;  // -1 when nothing is selected
  virtual int ListCount() const = 0;
  virtual std::string List(int index) const = 0;
  virtual Font GetFont() const = 0;

  // How many pixels the list scrolls horizontally over; a horizontal scroll
  // bar shows when this exceeds the visible width.
  virtual void SetHorizontalExtent(int pixels) = 0;
};

}  // namespace velloran::platform
