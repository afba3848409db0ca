#pragma once

#include <QtWidgets/QPushButton>
#include <QtWidgets/QWidget>
#include <functional>

#include "platform/gui/qt/horizontal_list_widget.h"

namespace velloran::platform::qt {

// The program's one window, Form1, with its controls at their places: the
// file list List1, the picture buttons Check1 (add) and Check2 (remove), and
// Command1, which lies below the visible area and holds the focus at start.
// The controls carry their names as object names.
class FormWidget : public QWidget {
  Q_OBJECT

 public:
  explicit FormWidget(QWidget* parent = nullptr);

  HorizontalListWidget& list1() { return *list1_; }
  QPushButton& check1() { return *check1_; }
  QPushButton& check2() { return *check2_; }
  QPushButton& command1() { return *command1_; }

  // Asked when the user closes the window; returning false keeps it open.
  void setCloseHandler(std::function<bool()> may_close) { may_close_ = std::move(may_close); }

 signals:
  void formMouseMoved();
  void check1MouseMoved();
  void check2MouseMoved();
  void list1MouseMoved();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QPushButton* CreatePictureButton(const char* name, const QString& picture);
  void WatchMouseMoves(QWidget& control);

  HorizontalListWidget* list1_ = nullptr;
  QPushButton* check1_ = nullptr;
  QPushButton* check2_ = nullptr;
  QPushButton* command1_ = nullptr;
  std::function<bool()> may_close_;
};

}  // namespace velloran::platform::qt
