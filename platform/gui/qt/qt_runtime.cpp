#include "platform/gui/qt/qt_runtime.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QThread>
#include <QtGui/QIcon>
#include <QtGui/QScreen>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QStyle>

#include "platform/gui/progress_layout.h"
#include "platform/gui/qt/override_cursor_pause.h"
#include "platform/gui/qt/twips.h"
#include "platform/gui/qt/window_system.h"

namespace velloran::platform::qt {
namespace {

// The text a message box shows for `prompt`: each carriage return, alone or
// before a line feed, becomes one line break. The prompt itself is not
// changed.
QString MessageBoxText(const std::string& prompt) {
  QString text = QString::fromStdString(prompt);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  return text;
}

}  // namespace

QtRuntime::QtRuntime(QWidget& main_window, const UiDescription& description)
    : main_window_(main_window),
      title_(description.app_title),
      progress_window_(description.progress) {
  CheckControlKinds(progress_window_);
}

std::string QtRuntime::AppPath() const {
  return QCoreApplication::applicationDirPath().toStdString();
}

float QtRuntime::ScreenWidth() const {
  const QScreen& screen = *main_window_.screen();
  return TwipsScale(screen).ToTwips(screen.geometry().width());
}

float QtRuntime::ScreenHeight() const {
  const QScreen& screen = *main_window_.screen();
  return TwipsScale(screen).ToTwips(screen.geometry().height());
}

int QtRuntime::VerticalScrollBarWidth() const {
  return main_window_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &main_window_);
}

void QtRuntime::MsgBox(const std::string& prompt) {
  if (ended_) return;
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(title_), MessageBoxText(prompt),
                  QMessageBox::Ok, &main_window_);
  box.setTextFormat(Qt::PlainText);
  // Plain text and a plain OK button: no picture anywhere in the box.
  box.button(QMessageBox::Ok)->setIcon(QIcon());
  // The frame of a system message box: title and close button only.
  KeepFrameFixed(box);
  const OverrideCursorPause pause;
  box.exec();
  ReturnActivation(main_window_, box);
}

// Closing the main window again asks no handler: HasEnded is already true.
// Without a running event loop there is none to leave; telling Qt to quit
// then would make every later event loop return at once.
void QtRuntime::End() {
  if (ended_) return;
  ended_ = true;
  QApplication::closeAllWindows();
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

}  // namespace velloran::platform::qt
