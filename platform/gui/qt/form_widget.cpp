#include "platform/gui/qt/form_widget.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QIcon>
#include <QtGui/QPixmap>

#include "platform/gui/form1_layout.h"
#include "platform/gui/qt/picture_button_widget.h"

// The artwork is compiled into this static library, whose resources the
// program has to register before use. Outside any namespace, as Qt requires.
static void RegisterArtwork() { Q_INIT_RESOURCE(artwork); }

namespace velloran::platform::qt {
namespace {

constexpr Qt::WindowFlags kFixedDialogFrame = Qt::Dialog | Qt::CustomizeWindowHint |
                                              Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                              Qt::WindowCloseButtonHint;

QFont ToQFont(const Font& font) {
  QFont qt_font(QString::fromStdString(font.name));
  qt_font.setPointSizeF(font.size);
  qt_font.setBold(font.bold);
  return qt_font;
}

// Paints the background of `widget`, a control of `kind` or the window, in
// `colour`: a button's face and surroundings, a list's ground.
void SetBackground(QWidget& widget, std::optional<ControlKind> kind, const Colour& colour) {
  QPalette palette = widget.palette();
  const QColor qt_colour(colour.red, colour.green, colour.blue);
  if (kind == ControlKind::kListBox) {
    palette.setColor(QPalette::Base, qt_colour);
  } else {
    palette.setColor(QPalette::Window, qt_colour);
    if (kind) palette.setColor(QPalette::Button, qt_colour);
  }
  widget.setPalette(palette);
}

}  // namespace

FormWidget::FormWidget(const Form1Description& description, QWidget* parent)
    : QWidget(parent, kFixedDialogFrame) {
  static const bool artwork_registered = (RegisterArtwork(), true);
  Q_UNUSED(artwork_registered);
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

// The control of the described kind, with the properties every kind shares.
// The kinds were checked, so the cast to the widget's class holds.
template <typename Widget>
Widget* FormWidget::CreateControl(const ControlDescription& control, const TwipsScale& scale) {
  QWidget* widget = CreateControlOfKind(control);
  widget->setObjectName(QString::fromUtf8(control.name));
  const Placement& place = control.place;
  widget->setGeometry(scale.ToPixels(place.left, place.top, place.width, place.height));
  if (control.font) widget->setFont(ToQFont(*control.font));
  if (!control.tool_tip.empty()) widget->setToolTip(QString::fromUtf8(control.tool_tip));
  if (control.background) SetBackground(*widget, control.kind, *control.background);
  return qobject_cast<Widget*>(widget);
}

QWidget* FormWidget::CreateControlOfKind(const ControlDescription& control) {
  switch (control.kind) {
    case ControlKind::kCommandButton: {
      auto* button = new QPushButton(QString::fromUtf8(control.caption), this);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::kListBox:
      return new HorizontalListWidget(this);
    case ControlKind::kPictureButton:
      return CreatePictureButton(control);
  }
  return new QWidget(this);
}

// A checkable button showing its picture, at the picture's own size, in the
// middle of its face.
QPushButton* FormWidget::CreatePictureButton(const ControlDescription& control) {
  auto* button = new PictureButtonWidget(this);
  button->setCheckable(true);
  button->setAutoDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  const QPixmap pixmap(QStringLiteral(":/artwork/") + QString::fromUtf8(control.picture) +
                       QStringLiteral(".jpg"));
  button->setIcon(QIcon(pixmap));
  button->setIconSize(pixmap.size());
  return button;
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
