#pragma once

#include "platform/gui/win32/win32_handles.h"
#include "platform/window_description.h"

namespace velloran::platform::win32 {

// What assistive technology hears of a control, from its description.
// Screen readers ask a control through Microsoft Active Accessibility
// (IAccessible, which UI Automation reads as well) by sending it
// WM_GETOBJECT. The answer here is the system's own object for the control
// with these changes: the name is the description's accessible name, the
// description its accessible description, a label's value is its text (the
// name says what the text is) and a progress bar's value is how far it
// has come, as a percentage. What the description leaves empty, and every
// other property, stays the system's.
//
// oleacc.dll, which makes the system's object, is loaded when first asked
// for, so the program imports nothing beyond the DLLs every Windows has.

// COM on the user-interface thread for as long as it lives: the answer to
// WM_GETOBJECT is handed over through COM. ole32.dll is loaded at run time;
// without it, or on a thread whose COM is set up otherwise, nothing changes
// but that the controls answer with the system's object alone.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  UniqueModule ole32_;
  bool initialised_ = false;
};

// Whether `control` needs an answer of its own.
bool HasAccessibleTexts(const ControlDescription& control);

// The answer to WM_GETOBJECT for the control `window` built from `control`,
// or 0 when the request is not for the control's own object (or oleacc is
// missing): the control's window procedure answers then.
LRESULT AnswerGetObject(HWND window, const ControlDescription& control, WPARAM wparam,
                        LPARAM lparam);

}  // namespace velloran::platform::win32
