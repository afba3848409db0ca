#pragma once

#include <QtWidgets/QWidget>

#include "platform/gui/qt/twips.h"
#include "platform/window_description.h"

namespace velloran::platform::qt {

// The frame of the program's windows: a fixed dialog frame with title bar,
// system menu and close button; no sizing, no minimise or maximise button.
inline constexpr Qt::WindowFlags kFixedDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint;

// Paints the background of `widget`, the window itself or one of its controls
// of the described kind, in `colour`.
void SetBackground(QWidget& widget, std::optional<ControlKind> kind, const Colour& colour);

// A new child of `parent` made for the control's kind (a push button, a list,
// a checkable picture button, a label, a progress bar running from 0 to
// kProgressBarRange), named, placed and styled as `control` describes, with
// the name and description assistive technology reads for it.
QWidget* CreateControl(const ControlDescription& control, const TwipsScale& scale, QWidget& parent);

}  // namespace velloran::platform::qt
