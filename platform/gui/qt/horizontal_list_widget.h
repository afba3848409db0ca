#pragma once

#include <QtWidgets/QListWidget>

namespace velloran::platform::qt {

// A list whose horizontal scrolling is set in pixels by its owner, the way a
// Windows list box takes LB_SETHORIZONTALEXTENT: the list scrolls over exactly
// that width whatever its entries measure, and the horizontal scroll bar shows
// only while the extent exceeds the visible width. Entries never wrap or get
// shortened.
class HorizontalListWidget : public QListWidget {
  Q_OBJECT

 public:
  explicit HorizontalListWidget(QWidget* parent = nullptr);

  int horizontalExtent() const { return horizontal_extent_; }
  void setHorizontalExtent(int pixels);

 signals:
  // A left double-click anywhere in the list, on an entry or below the last
  // one.
  void listDoubleClicked();

 protected:
  void updateGeometries() override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int horizontal_extent_ = 0;
};

}  // namespace velloran::platform::qt
