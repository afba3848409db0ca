#pragma once

#include <string_view>

// Every text of the window, in one place. The toolkits get theirs through the
// window's description (app/ui_description.cpp), the removal run through
// Form1 (app/form1.cpp). The error messages of the layers below, which cannot
// include this header, have one header each: platform/os_messages.h,
// dedupe/core_messages.h and platform/gui/toolkit_messages.h.
namespace velloran::texts {

// The window's caption and the title of every message box.
inline constexpr std::string_view kAppTitle = "Velloran";

// The window's controls.
inline constexpr std::string_view kCommand1Caption = "Command1";
inline constexpr std::string_view kList1ToolTip = "Double click list item to remove it.";

// What a screen reader speaks for each control. The two buttons are named
// after what their pictures say; Command1, which holds the focus unseen when
// the window opens, tells the user where they are.
inline constexpr std::string_view kCommand1AccessibleName =
    "Velloran: remove repeated lines from text files";
inline constexpr std::string_view kList1AccessibleName = "Files";
inline constexpr std::string_view kCheck1AccessibleName = "ADD FILE(S)";
inline constexpr std::string_view kCheck2AccessibleName = "REMOVE DUPES";
inline constexpr std::string_view kProgressPathAccessibleName = "File";
inline constexpr std::string_view kProgressStepAccessibleName = "Step";
inline constexpr std::string_view kProgressBarAccessibleName = "Progress";

// The add button's open dialog.
inline constexpr std::string_view kAddFilesTitle =
    "Add File(s) - Hold Ctrl to select multiple files";
inline constexpr std::string_view kAddFilesFilter = "All Files (*.*)|*.*|";
// Its read-only box, where the toolkit draws the dialog itself.
inline constexpr std::string_view kOpenReadOnly = "Open as &read-only";

// The removal run: the save dialog's title is kSaveTitleBefore, the file's
// path and kSaveTitleAfter; the messages end with the file's path or the list
// of files created.
inline constexpr std::string_view kSaveTitleBefore = "Save ";
inline constexpr std::string_view kSaveTitleAfter = " As";
inline constexpr std::string_view kNoDuplicatesFound = "No duplicates found in ";
inline constexpr std::string_view kFilesCreated = "File(s) created: ";

// The progress window of long work on one file: what it is doing, and the
// button that stops the run.
inline constexpr std::string_view kReading = "Reading...";
inline constexpr std::string_view kRemovingRepeats = "Removing repeats...";
inline constexpr std::string_view kWriting = "Writing...";
inline constexpr std::string_view kCancel = "Cancel";

// Shown for an error that carries no message of its own.
inline constexpr std::string_view kUnexpectedError = "An unexpected error occurred.";

}  // namespace velloran::texts
