#pragma once

namespace velloran::platform::qt {

// Tells Qt how assistive technology sees the program's own widget classes:
// Form1 is a window, which a screen reader announces by its title, and the
// picture buttons, checkable inside only to follow the check-box convention,
// are push buttons that it can press. Call before the widgets are made; once
// is enough.
void InstallAccessibleRoles();

}  // namespace velloran::platform::qt
