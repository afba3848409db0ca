#include "platform/gui/qt/qt_backend.h"

#include <exception>
#include <functional>

#include "platform/gui/qt/window_system.h"

namespace velloran::platform::qt {

// Calls one handler. An exception escaping it ends that handler only: it is
// shown in a message box and the program goes on. Once the program has ended,
// no handler runs.
template <typename Handler>
void QtBackend::Dispatch(Handler handler) {
  if (events_ == nullptr || runtime_.HasEnded()) return;
  try {
    std::invoke(handler, *events_);
  } catch (const std::exception& error) {
    if (!runtime_.HasEnded()) runtime_.MsgBox(error.what());
  } catch (...) {
    if (!runtime_.HasEnded()) runtime_.MsgBox("An unexpected error occurred.");
  }
}

QtBackend::QtBackend(int& argc, char** argv)
    : application_(StartApplication(argc, argv)),
      form_(std::make_unique<FormWidget>()),
      window_(*form_),
      list1_(form_->list1()),
      check1_(form_->check1(), [this] { Dispatch(&FormEvents::Check1_Click); }),
      check2_(form_->check2(), [this] { Dispatch(&FormEvents::Check2_Click); }),
      common_dialog1_(*form_),
      runtime_(*form_) {
  ConnectEvents();
}

QtBackend::~QtBackend() = default;

std::unique_ptr<QApplication> QtBackend::StartApplication(int& argc, char** argv) {
  std::unique_ptr<QApplication> application;
  if (QApplication::instance() == nullptr) {
    application = std::make_unique<QApplication>(argc, argv);
  }
  QApplication::setApplicationName(QStringLiteral("Velloran"));
  QGuiApplication::setDesktopFileName(QStringLiteral("velloran"));
  // The program ends through End or by closing its window, never because a
  // message box was the last window to close.
  QApplication::setQuitOnLastWindowClosed(false);
  return application;
}

void QtBackend::ConnectEvents() {
  FormWidget& form = *form_;
  QObject::connect(&form, &FormWidget::formMouseMoved, &form,
                   [this] { Dispatch(&FormEvents::Form_MouseMove); });
  QObject::connect(&form, &FormWidget::check1MouseMoved, &form,
                   [this] { Dispatch(&FormEvents::Check1_MouseMove); });
  QObject::connect(&form, &FormWidget::check2MouseMoved, &form,
                   [this] { Dispatch(&FormEvents::Check2_MouseMove); });
  QObject::connect(&form, &FormWidget::list1MouseMoved, &form,
                   [this] { Dispatch(&FormEvents::List1_MouseMove); });
  QObject::connect(&form.check1(), &QPushButton::clicked, &form,
                   [this] { Dispatch(&FormEvents::Check1_Click); });
  QObject::connect(&form.check2(), &QPushButton::clicked, &form,
                   [this] { Dispatch(&FormEvents::Check2_Click); });
  QObject::connect(&form.list1(), &HorizontalListWidget::listDoubleClicked, &form,
                   [this] { Dispatch(&FormEvents::List1_DblClick); });
  form.setCloseHandler([this] { return MayClose(); });
}

Controls QtBackend::GetControls() {
  return {window_, list1_, check1_, check2_, common_dialog1_, runtime_};
}

int QtBackend::Run(FormEvents& events) {
  Attach(events);
  Dispatch(&FormEvents::Form_Load);
  if (runtime_.HasEnded()) return 0;
  KeepOutOfTaskBar(*form_);
  form_->show();
  form_->command1().setFocus();
  return QApplication::exec();
}

// Closing the window unloads the form; unless the handler cancels, the
// program ends with it.
bool QtBackend::MayClose() {
  if (runtime_.HasEnded()) return true;
  int cancel = 0;
  Dispatch([&cancel](FormEvents& events) { events.Form_Unload(cancel); });
  if (cancel != 0 && !runtime_.HasEnded()) return false;
  runtime_.End();
  return true;
}

}  // namespace velloran::platform::qt

namespace velloran::platform {

std::unique_ptr<Backend> CreateBackend(int& argc, char** argv) {
  return std::make_unique<qt::QtBackend>(argc, argv);
}

}  // namespace velloran::platform
