#include "platform/gui/qt/form_widget.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QIcon>
#include <QtGui/QPixmap>

#include "platform/gui/qt/twips.h"

// The artwork is compiled into this static library, whose resources the
// program has to register before use. Outside any namespace, as Qt requires.
static void RegisterArtwork() { Q_INIT_RESOURCE(artwork); }

namespace velloran::platform::qt {
namespace {

// The window's client area and the controls' places, in twips.
constexpr int kClientWidth = 6285;
constexpr int kClientHeight = 2340;
struct Place {
  int left, top, width, height;
};
constexpr Place kCommand1{720, 2640, 615, 495};
constexpr Place kList1{120, 120, 3975, 2085};
constexpr Place kCheck1{4200, 120, 1935, 975};
constexpr Place kCheck2{4200, 1200, 1935, 975};

constexpr Qt::WindowFlags kFixedDialogFrame = Qt::Dialog | Qt::CustomizeWindowHint |
                                              Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                              Qt::WindowCloseButtonHint;

QFont ArialFont(double points, bool bold) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

void PlaceControl(QWidget& control, const TwipsScale& scale, const Place& place) {
  control.setGeometry(scale.ToPixels(place.left, place.top, place.width, place.height));
}

}  // namespace

FormWidget::FormWidget(QWidget* parent) : QWidget(parent, kFixedDialogFrame) {
  static const bool artwork_registered = (RegisterArtwork(), true);
  Q_UNUSED(artwork_registered);
  setObjectName(QStringLiteral("Form1"));
  setWindowIcon(QIcon(QStringLiteral(":/artwork/velloran.png")));
  setAutoFillBackground(true);
  QPalette white_background = palette();
  white_background.setColor(QPalette::Window, Qt::white);
  setPalette(white_background);

  const TwipsScale scale(*screen());
  setFixedSize(scale.ToPixels(kClientWidth), scale.ToPixels(kClientHeight));
  setMouseTracking(true);

  // Created in tab order.
  command1_ = new QPushButton(QStringLiteral("Command1"), this);
  command1_->setObjectName(QStringLiteral("Command1"));
  command1_->setAutoDefault(false);
  PlaceControl(*command1_, scale, kCommand1);

  list1_ = new HorizontalListWidget(this);
  list1_->setObjectName(QStringLiteral("List1"));
  list1_->setFont(ArialFont(9, false));
  list1_->setToolTip(QStringLiteral("Double click list item to remove it."));
  PlaceControl(*list1_, scale, kList1);

  check1_ = CreatePictureButton("Check1", QStringLiteral(":/artwork/add_files.jpg"));
  PlaceControl(*check1_, scale, kCheck1);
  check2_ = CreatePictureButton("Check2", QStringLiteral(":/artwork/remove_dupes.jpg"));
  PlaceControl(*check2_, scale, kCheck2);

  setTabOrder(command1_, list1_);
  setTabOrder(list1_, check1_);
  setTabOrder(check1_, check2_);
  command1_->setFocus();

  WatchMouseMoves(*list1_);
  WatchMouseMoves(*list1_->viewport());
  WatchMouseMoves(*check1_);
  WatchMouseMoves(*check2_);
}

QPushButton* FormWidget::CreatePictureButton(const char* name, const QString& picture) {
  auto* button = new QPushButton(this);
  button->setObjectName(QString::fromLatin1(name));
  button->setCheckable(true);
  button->setAutoDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  button->setFont(ArialFont(11.25, true));
  QPalette white_face = button->palette();
  white_face.setColor(QPalette::Button, Qt::white);
  white_face.setColor(QPalette::Window, Qt::white);
  button->setPalette(white_face);
  const QPixmap pixmap(picture);
  button->setIcon(QIcon(pixmap));
  button->setIconSize(pixmap.size());
  return button;
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
