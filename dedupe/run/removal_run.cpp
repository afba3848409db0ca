#include "dedupe/run/removal_run.h"

#include <optional>
#include <string>
#include <string_view>

#include "dedupe/core_messages.h"
#include "dedupe/file_removal.h"
#include "dedupe/run/busy_pointer.h"
#include "platform/error.h"
#include "platform/os_messages.h"
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

// Where one file's run goes next.
enum class Next { kWrite, kSkip, kStop };

// Reads `entry` and finds its repeats, then asks where to save the survivors
// (into `output`). Should memory run out, the message names `entry`.
Next FindRepeatsAndAsk(platform::Controls& ui, const std::string& entry, const RunTexts& texts,
                       std::optional<dedupe::FileRemoval>& file, std::string& output) {
  return platform::CatchOutOfMemory(dedupe::core_messages::kCannotRemoveRepeats, entry, [&] {
    // A stop asked for while reading ends the run, even if the reading got
    // to its end: the user asked for nothing more.
    const WorkEnd reading = WorkOn(ui, entry, [&](platform::Progress& progress) {
      file.emplace(dedupe::FileRemoval::FindRepeats(entry, progress));
    });
    if (reading == WorkEnd::kStopRequested) return Next::kStop;

    if (!file->found_repeats()) {
      ui.runtime.MsgBox(std::string(texts.no_duplicates_found) + entry);
      return Next::kSkip;
    }
    // A cancel skips this file: nothing is written, nothing is overwritten.
    if (!AskOutputName(ui.commonDialog1, entry, texts)) return Next::kSkip;
    output = ui.commonDialog1.FileName();
    return Next::kWrite;
  });
}

// Writes the survivors of `file` to `output` and adds it to `created_files`
// once written. A stop leaves the output as it was, unless the writing got to
// its end before it noticed: then the output is complete and named as
// created. Returns false when a stop ends the run. Should memory run out, the
// message names `output`.
bool WriteOutput(platform::Controls& ui, const std::string& entry, const dedupe::FileRemoval& file,
                 const std::string& output, std::string& created_files) {
  return platform::CatchOutOfMemory(platform::os_messages::kCannotWrite, output, [&] {
    bool written = false;
    const WorkEnd writing = WorkOn(ui, entry, [&](platform::Progress& progress) {
      file.WriteSurvivors(output, progress);
      written = true;
    });
    if (written) created_files += output + "\r\r";
    return writing != WorkEnd::kStopRequested;
  });
}

}  // namespace

void RemoveDuplicatesInListedFiles(platform::Controls& ui, const RunTexts& texts) {
  std::string created_files;
  const int entry_count = ui.list1.ListCount();
  for (int index = 0; index < entry_count; ++index) {
    const std::string entry = ui.list1.List(index);
    std::optional<dedupe::FileRemoval> file;
    std::string output;
    const Next next = FindRepeatsAndAsk(ui, entry, texts, file, output);
    if (next == Next::kStop) break;
    if (next == Next::kSkip) continue;
    if (!WriteOutput(ui, entry, *file, output, created_files)) break;
  }

  if (created_files.empty()) return;
  created_files.resize(created_files.size() - 2);
  ui.runtime.MsgBox(std::string(texts.files_created) + "\r\r" + created_files);
}

}  // namespace velloran
