#include "platform/gui/qt/progress_dialog.h"

#include "platform/gui/progress_layout.h"
#include "platform/gui/qt/control_factory.h"
#include "platform/gui/qt/window_system.h"

namespace velloran::platform::qt {

ProgressDialog::ProgressDialog(const ProgressWindowDescription& description, std::string_view title,
                               const QString& path, QWidget& parent)
    : QDialog(&parent, kFixedDialogFrame), description_(description) {
  CheckControlKinds(description);
  setObjectName(QString::fromUtf8(description.name));
  setWindowTitle(QString::fromUtf8(title));
  setWindowModality(Qt::WindowModal);
  KeepFrameFixed(*this);
  const TwipsScale scale(*parent.screen());
  setFixedSize(scale.ToPixels(description.client_width), scale.ToPixels(description.client_height));

  // Labels and bars take no focus: the button has it.
  for (const ControlDescription* control : description.Controls()) {
    QWidget* widget = CreateControl(*control, scale, *this);
    if (control == &description.path) qobject_cast<QLabel*>(widget)->setText(path);
    if (control == &description.step) step_ = qobject_cast<QLabel*>(widget);
    if (control == &description.bar) bar_ = qobject_cast<QProgressBar*>(widget);
    if (control == &description.cancel) cancel_ = qobject_cast<QPushButton*>(widget);
  }
  connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::reject);
  cancel_->setFocus();
}

void ProgressDialog::ShowReport(const WorkReport& report) {
  const QString step = QString::fromUtf8(description_.StepText(report.step));
  if (step_->text() != step) step_->setText(step);
  bar_->setValue(ProgressBarPosition(report));
}

void ProgressDialog::reject() {
  if (!cancel_->isEnabled()) return;
  cancel_->setEnabled(false);
  emit stopRequested();
}

}  // namespace velloran::platform::qt
