#pragma once

#include <QtWidgets/QLabel>

namespace velloran::platform::qt {

// One line of plain text. A text wider than the label keeps its beginning
// and its end and loses its middle to an ellipsis, as a long path does in a
// Windows static control; text() stays whole.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace velloran::platform::qt
