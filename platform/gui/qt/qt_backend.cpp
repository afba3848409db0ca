#include "platform/gui/qt/qt_backend.h"

#include <cstdio>
#include <exception>
#include <functional>

#include "platform/gui/qt/window_system.h"

namespace velloran::platform::qt {

// Calls one handler through the guard, once the handlers are attached.
template <typename Handler>
void QtBackend::Dispatch(Handler handler) {
  if (events_ == nullptr) return;
  guard_.Run([this, &handler] { std::invoke(handler, *events_); });
  if (runtime_.work().TakeDeferredClose()) form_->close();
}

QtBackend::QtBackend(int& argc, char** argv, const UiDescription& description)
    : application_(StartApplication(argc, argv, description.app_title)),
      form_(std::make_unique<FormWidget>(description.form1)),
      window_(*form_),
      list1_(form_->list1()),
      check1_(form_->check1(), [this] { Dispatch(&FormEvents::Check1_Click); }),
      check2_(form_->check2(), [this] { Dispatch(&FormEvents::Check2_Click); }),
      common_dialog1_(*form_, description.open_read_only),
      runtime_(*form_, description),
      guard_(runtime_, runtime_.work(), description.unexpected_error),
      close_requests_(*form_, [this] { return TakeCloseRequestDuringWork(); }) {
  ConnectEvents();
}

QtBackend::~QtBackend() = default;

std::unique_ptr<QApplication> QtBackend::StartApplication(int& argc, char** argv,
                                                          std::string_view name) {
  std::unique_ptr<QApplication> application;
  if (QApplication::instance() == nullptr) {
    application = std::make_unique<QApplication>(argc, argv);
  }
  QApplication::setApplicationName(QString::fromUtf8(name));
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
  if (!Start(events)) return 0;
  return QApplication::exec();
}

// The window manager's hints go on the native window before the load
// sequence, so that the window's outer size, frame included, is known when it
// is centred.
bool QtBackend::Start(FormEvents& events) {
  Attach(events);
  KeepOutOfTaskBar(*form_);
  KeepFrameFixed(*form_);
  Dispatch(&FormEvents::Form_Load);
  if (runtime_.HasEnded()) return false;
  form_->show();
  // Some window managers (openbox) give a new tool-bar window no focus of
  // their own; the program's one window asks for it.
  form_->activateWindow();
  form_->firstInTabOrder().setFocus();
  return true;
}

// Closing the window unloads the form; unless the handler cancels, the
// program ends with it. While work runs, the work is asked to stop and the
// window closes as soon as it has stopped (QtRuntime::RunWork).
bool QtBackend::MayClose() {
  if (runtime_.HasEnded()) return true;
  if (runtime_.work().DeferClose()) return false;
  int cancel = 0;
  Dispatch([&cancel](FormEvents& events) { events.Form_Unload(cancel); });
  if (cancel != 0 && !runtime_.HasEnded()) return false;
  runtime_.End();
  return true;
}

// Qt drops a close request to a window blocked by a modal window, as the
// window is while the progress window shows. While work runs, the request
// closes the window all the same, which stops the work (MayClose); requests
// at other times go their usual way.
bool QtBackend::TakeCloseRequestDuringWork() {
  if (!runtime_.work().IsRunning()) return false;
  form_->close();
  return true;
}

}  // namespace velloran::platform::qt

namespace velloran::platform {

// Without a window there is nothing to show a message box over, so a start
// that fails is told on the standard error stream.
std::unique_ptr<Backend> CreateBackend(int& argc, char** argv, const UiDescription& description) {
  try {
    return std::make_unique<qt::QtBackend>(argc, argv, description);
  } catch (...) {
    const std::string message = CaughtExceptionMessage(description.unexpected_error);
    std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(description.app_title.size()),
                 description.app_title.data(), message.c_str());
    return nullptr;
  }
}

}  // namespace velloran::platform
