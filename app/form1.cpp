#include "app/form1.h"

#include <string>
#include <string_view>
#include <vector>

#include "app/center_form.h"
#include "app/file_exists.h"
#include "app/horizontal_list.h"
#include "app/texts.h"
#include "dedupe/run/removal_run.h"
#include "platform/error.h"
#include "platform/mouse_pointer.h"

namespace velloran {
namespace {

constexpr std::string_view kPointerFileName = "HAND-M.CUR";

constexpr std::uint32_t kOpenDialogFlags = platform::kOfnReadOnly | platform::kOfnAllowMultiselect |
                                           platform::kOfnExplorer | platform::kOfnLongNames;
static_assert(kOpenDialogFlags == 2621953);

constexpr RunTexts kRunTexts{
    .save_title_before = texts::kSaveTitleBefore,
    .save_title_after = texts::kSaveTitleAfter,
    .no_duplicates_found = texts::kNoDuplicatesFound,
    .files_created = texts::kFilesCreated,
};

// The picture buttons are check boxes used as push buttons: the user's click
// leaves Value at 1. Setting it back to 0 raises the click event once more,
// nested; that call finds 0 and does nothing. So each click acts once and the
// button is raised again before its action starts.
bool TakePictureButtonClick(platform::PictureButton& button) {
  if (button.Value() != 1) return false;
  button.SetValue(0);
  return true;
}

// Splits the open dialog's report at every NUL. An empty report has no parts.
std::vector<std::string> SplitAtNul(const std::string& report) {
  std::vector<std::string> parts;
  if (report.empty()) return parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t nul = report.find('\0', start);
    parts.push_back(report.substr(start, nul - start));
    if (nul == std::string::npos) return parts;
    start = nul + 1;
  }
}

}  // namespace

void Form1::Form_Load() {
  CenterForm(ui_.form, ui_.runtime);
  ui_.form.SetCaption(std::string(texts::kAppTitle));

  // The folder and the name are joined as they are: a program in a root
  // folder gets two separators in a row, which every file system accepts.
  const std::string pointer_path =
      ui_.runtime.AppPath() + platform::kPathSeparator + std::string(kPointerFileName);
  if (FileExists(pointer_path)) {
    try {
      ui_.form.LoadMouseIcon(pointer_path);
    } catch (const platform::Error&) {
      // A damaged pointer file only costs the custom pointer; the window
      // opens with the default one.
    }
  }
}

void Form1::Form_Unload(int& /*cancel*/) { ui_.runtime.End(); }

void Form1::Form_MouseMove() { ui_.form.SetMousePointer(platform::kPointerArrow); }
void Form1::Check1_MouseMove() { ui_.form.SetMousePointer(platform::kPointerCustom); }
void Form1::Check2_MouseMove() { ui_.form.SetMousePointer(platform::kPointerCustom); }
void Form1::List1_MouseMove() { ui_.form.SetMousePointer(platform::kPointerCustom); }

void Form1::Check1_Click() {
  if (!TakePictureButtonClick(ui_.check1)) return;

  platform::CommonDialog& dialog = ui_.commonDialog1;
  dialog.SetFlags(kOpenDialogFlags);
  dialog.SetDialogTitle(std::string(texts::kAddFilesTitle));
  dialog.SetFilter(std::string(texts::kAddFilesFilter));
  // A cancelled dialog adds nothing, even though FileName still holds the
  // previous pick.
  if (!dialog.ShowOpen()) return;
  AddPickedFiles(dialog.FileName());
}

// One picked file is reported as its full path; several as the folder and the
// names, NUL-separated. Each becomes one entry, in the order reported.
void Form1::AddPickedFiles(const std::string& report) {
  const std::vector<std::string> parts = SplitAtNul(report);
  if (parts.empty()) return;
  if (parts.size() == 1) {
    ui_.list1.AddItem(parts[0]);
  } else {
    const std::string& folder = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i) {
      ui_.list1.AddItem(folder + platform::kPathSeparator + parts[i]);
    }
  }
  SetHorizontalExtent(ui_.form, ui_.list1, ui_.runtime);
}

void Form1::Check2_Click() {
  if (!TakePictureButtonClick(ui_.check2)) return;
  RemoveDuplicatesInListedFiles(ui_, kRunTexts);
}

void Form1::List1_DblClick() {
  const int selected = ui_.list1.ListIndex();
  if (selected < 0) return;  // a double-click beside the entries
  ui_.list1.RemoveItem(selected);
}

}  // namespace velloran
