#pragma once

#include <memory>

#include "platform/controls.h"
#include "platform/form_events.h"

namespace velloran::platform {

// A GUI toolkit behind the platform interfaces. Each backend folder
// implements CreateBackend; the program links exactly one.
class Backend {
 public:
  virtual ~Backend() = default;

  // The window's controls and the runtime services, built but not yet shown.
  virtual Controls GetControls() = 0;

  // Runs Form_Load, shows the window and dispatches its events to `events`
  // until the program ends; returns the exit code. An Error (or any other
  // exception) escaping a handler ends that handler and is shown in a message
  // box titled kAppTitle; the program keeps running.
  virtual int Run(FormEvents& events) = 0;
};

std::unique_ptr<Backend> CreateBackend(int& argc, char** argv);

}  // namespace velloran::platform
