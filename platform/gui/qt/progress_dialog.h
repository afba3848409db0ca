#pragma once

#include <QtWidgets/QDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <string_view>

#include "platform/gui/background_work.h"
#include "platform/gui/qt/override_cursor_pause.h"
#include "platform/window_description.h"

namespace velloran::platform::qt {

// The progress window of long work, built from its description: the path of
// the file worked on, the step under way, a bar of the bytes done, and
// Cancel. It is modal to its parent, over which it opens centred. Cancel,
// Escape and the frame's close button ask the work to stop (stopRequested),
// once; the window stays, Cancel greyed, until its owner deletes it when the
// work has ended.
class ProgressDialog : public QDialog {
  Q_OBJECT

 public:
  // Throws Error when the description's controls are not of the kinds the
  // window needs. `description` must outlive the window.
  ProgressDialog(const ProgressWindowDescription& description, std::string_view title,
                 const QString& path, QWidget& parent);

  // Shows the step and the share of the bytes done.
  void ShowReport(const WorkReport& report);

 signals:
  void stopRequested();

 public slots:
  void reject() override;

 private:
  const ProgressWindowDescription& description_;
  QLabel* step_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
  // The arrow shows over this window, the busy pointer over the one it blocks.
  OverrideCursorPause pointer_;
};

}  // namespace velloran::platform::qt
