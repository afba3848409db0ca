#include "platform/gui/qt/horizontal_list_widget.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOptionFocusRect>
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

// Only the left button's double-click counts, as in a Windows list box.
void HorizontalListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit listDoubleClicked();
}

// With entries, the view marks the current one while the list has the focus.
// An empty list marks the place of its first entry instead, so the focus
// never goes unseen.
void HorizontalListWidget::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  if (count() > 0 || !hasFocus()) return;
  QPainter painter(viewport());
  QStyleOptionFocusRect focus;
  focus.initFrom(this);
  focus.rect = QRect(0, 0, viewport()->width(), fontMetrics().height());
  focus.backgroundColor = palette().color(QPalette::Base);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

}  // namespace velloran::platform::qt
