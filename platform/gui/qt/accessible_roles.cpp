#include "platform/gui/qt/accessible_roles.h"

#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QAccessibleWidget>

#include "platform/gui/qt/form_widget.h"
#include "platform/gui/qt/picture_button_widget.h"

namespace velloran::platform::qt {
namespace {

// A picture button as a push button: the name and description it was given,
// and a press action that clicks it as the mouse does.
class PictureButtonAccessible final : public QAccessibleWidget {
 public:
  explicit PictureButtonAccessible(QWidget* button)
      : QAccessibleWidget(button, QAccessible::Button) {}

  QStringList actionNames() const override {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action != pressAction()) {
      QAccessibleWidget::doAction(action);
    } else if (widget()->isEnabled()) {
      static_cast<QAbstractButton*>(widget())->click();
    }
  }
};

QAccessibleInterface* AccessibleFor(const QString& class_name, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (class_name == QLatin1String(PictureButtonWidget::staticMetaObject.className())) {
    return new PictureButtonAccessible(widget);
  }
  if (class_name == QLatin1String(FormWidget::staticMetaObject.className())) {
    return new QAccessibleWidget(widget, QAccessible::Window);
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleRoles() {
  static const bool installed = (QAccessible::installFactory(&AccessibleFor), true);
  Q_UNUSED(installed);
}

}  // namespace velloran::platform::qt
