#pragma once

#include <string_view>

#include "platform/controls.h"

namespace velloran {

// The texts the run shows, given by the window that starts it.
struct RunTexts {
  // The save dialog's title: save_title_before, the file's path, save_title_after.
  std::string_view save_title_before;
  std::string_view save_title_after;
  // A file without repeats: this, then the file's path.
  std::string_view no_duplicates_found;
  // The closing message: this, then each file written.
  std::string_view files_created;
};

// The work of the remove button. For each listed file in list order: read its
// lines, blank the repeats, and either ask for an output name and write the
// survivors there, or report that the file holds no repeats. At the end one
// message names every file written. The reading and the writing run off the
// user-interface thread (Runtime::RunWork); a stop the user asks for there
// ends the run, leaving the file worked on as it was, and the closing
// message still names the files written before. A failure (a file that
// cannot be read or written) ends the run with its message; files written
// before stay written.
void RemoveDuplicatesInListedFiles(platform::Controls& ui, const RunTexts& texts);

}  // namespace velloran
