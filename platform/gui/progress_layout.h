#pragma once

#include <chrono>

#include "platform/gui/background_work.h"
#include "platform/window_description.h"

namespace velloran::platform {

// When and how every toolkit shows the progress of work (Runtime::RunWork).

// Work that ends sooner shows no progress window, only the busy pointer.
inline constexpr std::chrono::milliseconds kProgressWindowDelay{500};

// How often the user-interface thread looks at running work, at the latest,
// while it keeps the windows painted: the progress window's refresh.
inline constexpr std::chrono::milliseconds kWorkPollInterval{40};

// A progress bar runs from 0 to this; files may hold more bytes than a
// toolkit's bar can count.
inline constexpr int kProgressBarRange = 1000;

// Where the bar stands for `report`: the share of the file's bytes done.
int ProgressBarPosition(const WorkReport& report);

// Throws Error unless each control of `description` is of the kind its place
// needs: Path and Step labels, Bar a progress bar, Cancel a command button. A
// toolkit checks this before it builds the window.
void CheckControlKinds(const ProgressWindowDescription& description);

}  // namespace velloran::platform
