#pragma once

#include <vector>

#include "platform/window_description.h"

namespace velloran::platform {

// Throws Error, naming the control, unless `control` is of the kind `needed`.
void CheckControlKind(const ControlDescription& control, ControlKind needed);

// Throws Error unless each control of `description` is of the kind its place
// in Form1 needs: Command1 a command button, List1 a list box, Check1 and
// Check2 picture buttons. A toolkit checks this before it builds the window.
void CheckControlKinds(const Form1Description& description);

// Form1's controls in the keyboard's order: lowest tab index first, and in
// the description's order where two are equal.
std::vector<const ControlDescription*> InTabOrder(const Form1Description& description);

}  // namespace velloran::platform
