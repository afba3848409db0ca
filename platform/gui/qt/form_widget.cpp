#include "platform/gui/qt/form_widget.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QIcon>

#include "platform/gui/form1_layout.h"
#include "platform/gui/qt/accessible_roles.h"
#include "platform/gui/qt/control_factory.h"

// The artwork is compiled into this static library, whose resources the
// program has to register before use. Outside any namespace, as Qt requires.
static void RegisterArtwork() { Q_INIT_RESOURCE(artwork); }

namespace velloran::platform::qt {

FormWidget::FormWidget(const Form1Description& description, QWidget* parent)
    : QWidget(parent, kFixedDialogFrame) {
  static const bool artwork_registered = (RegisterArtwork(), true);
  Q_UNUSED(artwork_registered);
  InstallAccessibleRoles();
  CheckControlKinds(description);
  setObjectName(QString::fromUtf8(description.name));
  setWindowIcon(QIcon(QStringLiteral(":/artwork/velloran.png")));
  if (description.background) {
    setAutoFillBackground(true);
    SetBackground(*this, std::nullopt, *description.background);
  }

  const TwipsScale scale(*screen());
  setFixedSize(scale.ToPixels(description.client_width), scale.ToPixels(description.client_height));
  setMouseTracking(true);
  // Tool tips show on hover whether or not the window is active.
  setAttribute(Qt::WA_AlwaysShowToolTips);

  command1_ = CreateControl<QPushButton>(description.command1, scale);
  list1_ = CreateControl<HorizontalListWidget>(description.list1, scale);
  check1_ = CreateControl<QPushButton>(description.check1, scale);
  check2_ = CreateControl<QPushButton>(description.check2, scale);
  SetTabOrder(description);

  WatchMouseMoves(*list1_);
  WatchMouseMoves(*list1_->viewport());
  WatchMouseMoves(*check1_);
  WatchMouseMoves(*check2_);
}

// The control of the described kind. The kinds were checked, so the cast to
// the widget's class holds.
template <typename Widget>
Widget* FormWidget::CreateControl(const ControlDescription& control, const TwipsScale& scale) {
  return qobject_cast<Widget*>(qt::CreateControl(control, scale, *this));
}

void FormWidget::SetTabOrder(const Form1Description& description) {
  std::vector<QWidget*> widgets;
  for (const ControlDescription* control : InTabOrder(description)) {
    widgets.push_back(
        findChild<QWidget*>(QString::fromUtf8(control->name), Qt::FindDirectChildrenOnly));
  }
  for (std::size_t i = 1; i < widgets.size(); ++i) setTabOrder(widgets[i - 1], widgets[i]);
  first_in_tab_order_ = widgets.front();
  first_in_tab_order_->setFocus();
}

// Each control reports the moves over itself; none passes them on to the
// window, so the window hears only of moves over its bare background.
void FormWidget::WatchMouseMoves(QWidget& control) {
  control.setMouseTracking(true);
  control.setAttribute(Qt::WA_NoMousePropagation);
  control.installEventFilter(this);
}

bool FormWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    if (watched == list1_ || watched == list1_->viewport()) {
      emit list1MouseMoved();
    } else if (watched == check1_) {
      emit check1MouseMoved();
    } else if (watched == check2_) {
      emit check2MouseMoved();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void FormWidget::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  emit formMouseMoved();
}

void FormWidget::closeEvent(QCloseEvent* event) {
  if (may_close_ && !may_close_()) {
    event->ignore();
  } else {
    event->accept();
  }
}

}  // namespace velloran::platform::qt
