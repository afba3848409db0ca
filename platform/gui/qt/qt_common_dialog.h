#pragma once

#include <QtWidgets/QWidget>
#include <string_view>

#include "platform/common_dialog.h"

namespace velloran::platform::qt {

// CommonDialog1 on Qt's own file dialog (never the desktop's native one, so
// it looks and behaves the same everywhere), modal over the main window.
class QtCommonDialog : public CommonDialog {
 public:
  // `read_only_label` labels the open dialog's read-only box.
  QtCommonDialog(QWidget& parent, std::string_view read_only_label)
      : parent_(parent), read_only_label_(read_only_label) {}

  bool ShowOpen() override;
  bool ShowSave() override;

 private:
  QWidget& parent_;
  std::string_view read_only_label_;
};

}  // namespace velloran::platform::qt
