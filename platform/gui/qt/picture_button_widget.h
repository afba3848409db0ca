#pragma once

#include <QtWidgets/QPushButton>

namespace velloran::platform::qt {

// A push button that shows its icon as a picture on the face: centred,
// pressed in with the face, and kept inside the button's 3-D frame, which
// stays whole even where the picture is larger than the face.
class PictureButtonWidget : public QPushButton {
  Q_OBJECT

 public:
  explicit PictureButtonWidget(QWidget* parent = nullptr) : QPushButton(parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace velloran::platform::qt
