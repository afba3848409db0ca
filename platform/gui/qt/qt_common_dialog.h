#pragma once

#include <QtWidgets/QWidget>

#include "platform/common_dialog.h"

namespace velloran::platform::qt {

// CommonDialog1 on Qt's own file dialog (never the desktop's native one, so
// it looks and behaves the same everywhere), modal over the main window.
class QtCommonDialog : public CommonDialog {
 public:
  explicit QtCommonDialog(QWidget& parent) : parent_(parent) {}

  bool ShowOpen() override;
  bool ShowSave() override;

 private:
  QWidget& parent_;
};

}  // namespace velloran::platform::qt
