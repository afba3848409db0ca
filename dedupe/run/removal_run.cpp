#include "dedupe/run/removal_run.h"

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "dedupe/file_removal.h"
#include "dedupe/run/busy_pointer.h"
#include "platform/error.h"
#include "platform/progress.h"

namespace velloran {
namespace {

using platform::WorkEnd;

// Asks where to save the survivors of `entry`, offering the entry itself.
// Returns false when the user cancels.
bool AskOutputName(platform::CommonDialog& dialog, const std::string& entry,
                   const RunTexts& texts) {
  dialog.SetDialogTitle(std::string(texts.save_title_before) + entry +
                        std::string(texts.save_title_after));
  dialog.SetFileName(entry);
  return dialog.ShowSave();
}

// Runs one piece of the work on `entry` off the user-interface thread, under
// the busy pointer, with the progress window should it take a while.
WorkEnd WorkOn(platform::Controls& ui, const std::string& entry, const platform::Work& work) {
  const BusyPointer busy(ui.form);
  return ui.runtime.RunWork(entry, work);
}

}  // namespace

void RemoveDuplicatesInListedFiles(platform::Controls& ui, const RunTexts& texts) {
  std::string created_files;
  const int entry_count = ui.list1.ListCount();
  for (int index = 0; index < entry_count; ++index) {
    const std::string entry = ui.list1.List(index);
    // What the run is doing, and to which file, should memory run out.
    std::string_view doing = "Cannot remove repeats from";
    std::string doing_to = entry;
    try {
      // A stop asked for while reading ends the run, even if the reading got
      // to its end: the user asked for nothing more.
      std::optional<dedupe::FileRemoval> file;
      const WorkEnd reading = WorkOn(ui, entry, [&](platform::Progress& progress) {
        file.emplace(dedupe::FileRemoval::FindRepeats(entry, progress));
      });
      if (reading == WorkEnd::kStopRequested) break;

      if (!file->found_repeats()) {
        ui.runtime.MsgBox(std::string(texts.no_duplicates_found) + entry);
        continue;
      }
      // A cancel skips this file: nothing is written, nothing is overwritten.
      if (!AskOutputName(ui.commonDialog1, entry, texts)) continue;

      // A stop leaves the output as it was, unless the writing got to its
      // end before it noticed: then the output is complete and named as
      // created.
      const std::string output = ui.commonDialog1.FileName();
      doing = "Cannot write";
      doing_to = output;
      bool written = false;
      const WorkEnd writing = WorkOn(ui, entry, [&](platform::Progress& progress) {
        file->WriteSurvivors(output, progress);
        written = true;
      });
      if (written) created_files += output + "\r\r";
      if (writing == WorkEnd::kStopRequested) break;
    } catch (const std::bad_alloc&) {
      throw platform::Error(doing, doing_to, "Not enough memory.");
    }
  }

  if (created_files.empty()) return;
  created_files.resize(created_files.size() - 2);
  ui.runtime.MsgBox(std::string(texts.files_created) + "\r\r" + created_files);
}

}  // namespace velloran
