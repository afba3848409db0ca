#include "platform/gui/qt/horizontal_list_widget.h"

#include <algorithm>

namespace velloran::platform::qt {

HorizontalListWidget::HorizontalListWidget(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void HorizontalListWidget::setHorizontalExtent(int pixels) {
  horizontal_extent_ = std::max(0, pixels);
  updateGeometries();
}

// The view sizes its scroll bars from the width of its contents, which its
// item layout sets to the widest entry; the extent takes that place before
// the scroll bars are set up.
void HorizontalListWidget::updateGeometries() {
  if (contentsSize().width() != horizontal_extent_) {
    resizeContents(horizontal_extent_, contentsSize().height());
  }
  QListWidget::updateGeometries();
}

void HorizontalListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  emit listDoubleClicked();
}

}  // namespace velloran::platform::qt
