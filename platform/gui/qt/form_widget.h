#pragma once

#include <QtWidgets/QPushButton>
#include <QtWidgets/QWidget>
#include <functional>

#include "platform/gui/qt/horizontal_list_widget.h"
#include "platform/gui/qt/twips.h"
#include "platform/window_description.h"

namespace velloran::platform::qt {

// The program's one window, Form1, built from its description: the file list
// List1, the picture buttons Check1 (add) and Check2 (remove), and Command1,
// which lies below the visible area and holds the focus at start. Each
// control is made for its kind and carries its name as object name.
class FormWidget : public QWidget {
  Q_OBJECT

 public:
  // Throws Error when a control of the description is not of the kind this
  // window needs in its place (List1 a list box, Check1 and Check2 picture
  // buttons, Command1 a command button).
  explicit FormWidget(const Form1Description& description, QWidget* parent = nullptr);

  HorizontalListWidget& list1() { return *list1_; }
  QPushButton& check1() { return *check1_; }
  QPushButton& check2() { return *check2_; }
  QPushButton& command1() { return *command1_; }
  // The control that holds the focus when the window opens: the first in the
  // tab order.
  QWidget& firstInTabOrder() { return *first_in_tab_order_; }

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
  template <typename Widget>
  Widget* CreateControl(const ControlDescription& control, const TwipsScale& scale);
  void SetTabOrder(const Form1Description& description);
  void WatchMouseMoves(QWidget& control);

  HorizontalListWidget* list1_ = nullptr;
  QPushButton* check1_ = nullptr;
  QPushButton* check2_ = nullptr;
  QPushButton* command1_ = nullptr;
  QWidget* first_in_tab_order_ = nullptr;
  std::function<bool()> may_close_;
};

}  // namespace velloran::platform::qt
