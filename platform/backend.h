#pragma once

#include <memory>

#include "platform/controls.h"
#include "platform/form_events.h"
#include "platform/window_description.h"

namespace velloran::platform {

// A GUI toolkit behind the platform interfaces. Each toolkit folder
// implements CreateBackend; the program links exactly one.
class Backend {
 public:
  virtual ~Backend() = default;

  // The window's controls and the runtime services, built but not yet shown.
  virtual Controls GetControls() = 0;

  // Runs Form_Load, shows the window and dispatches its events to `events`
  // until the program ends; returns the exit code. An Error (or any other
  // exception) escaping a handler ends that handler and is shown in a message
  // box titled with the program's title; the program keeps running. Once End
  // has run, no handler runs. Never throws: an exception from the toolkit's
  // own work is shown the same way.
  virtual int Run(FormEvents& events) = 0;
};

// Builds the window from `description`, which must outlive the backend.
// Never throws: a toolkit that cannot start tells the user why (in a message
// box titled with the program's title where it can show one) and returns
// nullptr.
std::unique_ptr<Backend> CreateBackend(int& argc, char** argv, const UiDescription& description);

}  // namespace velloran::platform
