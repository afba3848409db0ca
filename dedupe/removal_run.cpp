#include "dedupe/removal_run.h"

#include <new>
#include <string>
#include <string_view>

#include "dedupe/busy_pointer.h"
#include "dedupe/file_removal.h"
#include "platform/error.h"
#include "platform/progress.h"

namespace velloran {
namespace {

// Asks where to save the survivors of `entry`, offering the entry itself.
// Returns false when the user cancels.
bool AskOutputName(platform::CommonDialog& dialog, const std::string& entry,
                   const RunTexts& texts) {
  dialog.SetDialogTitle(std::string(texts.save_title_before) + entry +
                        std::string(texts.save_title_after));
  dialog.SetFileName(entry);
  return dialog.ShowSave();
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
      platform::NoProgress progress;
      BusyPointer busy(ui.form);
      const dedupe::FileRemoval file = dedupe::FileRemoval::FindRepeats(entry, progress);
      busy.Release();

      if (!file.found_repeats()) {
        ui.runtime.MsgBox(std::string(texts.no_duplicates_found) + entry);
        continue;
      }
      // A cancel skips this file: nothing is written, nothing is overwritten.
      if (!AskOutputName(ui.commonDialog1, entry, texts)) continue;

      const std::string output = ui.commonDialog1.FileName();
      doing = "Cannot write";
      doing_to = output;
      BusyPointer busy_writing(ui.form);
      file.WriteSurvivors(output, progress);
      busy_writing.Release();
      created_files += output + "\r\r";
    } catch (const std::bad_alloc&) {
      throw platform::Error(doing, doing_to, "Not enough memory.");
    }
  }

  if (created_files.empty()) return;
  created_files.resize(created_files.size() - 2);
  ui.runtime.MsgBox(std::string(texts.files_created) + "\r\r" + created_files);
}

}  // namespace velloran
