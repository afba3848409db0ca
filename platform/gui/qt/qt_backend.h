#pragma once

#include <QtWidgets/QApplication>
#include <memory>

#include "platform/backend.h"
#include "platform/gui/handler_guard.h"
#include "platform/gui/qt/form_widget.h"
#include "platform/gui/qt/qt_common_dialog.h"
#include "platform/gui/qt/qt_list_box.h"
#include "platform/gui/qt/qt_picture_button.h"
#include "platform/gui/qt/qt_runtime.h"
#include "platform/gui/qt/qt_window.h"
#include "platform/gui/qt/window_system.h"

namespace velloran::platform::qt {

// The program on Qt Widgets: the application object (unless one exists
// already), Form1 with its controls built from the description, and the
// dispatch of the window's events to the handlers.
class QtBackend : public Backend {
 public:
  // `description` must outlive the backend. Throws Error when it does not
  // describe Form1's controls.
  QtBackend(int& argc, char** argv, const UiDescription& description);
  ~QtBackend() override;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  Controls GetControls() override;
  int Run(FormEvents& events) override;

  // Everything Run does before it waits for events: routes the window's
  // events to `events`, runs the load sequence and shows the window. False
  // when the program ended during the load sequence.
  bool Start(FormEvents& events);

  // Routes the window's events to `events` from now on. Start does this.
  void Attach(FormEvents& events) { events_ = &events; }

  FormWidget& Form() { return *form_; }

 private:
  static std::unique_ptr<QApplication> StartApplication(int& argc, char** argv,
                                                        std::string_view name);
  void ConnectEvents();
  bool MayClose();
  bool TakeCloseRequestDuringWork();
  template <typename Handler>
  void Dispatch(Handler handler);

  std::unique_ptr<QApplication> application_;
  std::unique_ptr<FormWidget> form_;
  QtWindow window_;
  QtListBox list1_;
  QtPictureButton check1_;
  QtPictureButton check2_;
  QtCommonDialog common_dialog1_;
  QtRuntime runtime_;
  HandlerGuard guard_;
  FormEvents* events_ = nullptr;
  CloseRequestWatch close_requests_;
};

}  // namespace velloran::platform::qt
