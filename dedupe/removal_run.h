#pragma once

#include "platform/controls.h"

namespace velloran {

// The work of the remove button. For each listed file in list order: read its
// lines, blank the repeats, and either ask for an output name and write the
// survivors there, or report that the file holds no repeats. At the end one
// message names every file written. A failure (a file that cannot be read or
// written) ends the run with its message; files written before stay written.
void RemoveDuplicatesInListedFiles(platform::Controls& ui);

}  // namespace velloran
