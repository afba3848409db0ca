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

// What a screen reader speaks for each control: its name, then a longer
// description. The two buttons are named after what their pictures say;
// Command1, which holds the focus unseen when the window opens, tells the
// user where they are and where Tab leads. The progress window's labels are
// spoken as the texts they show.
inline constexpr std::string_view kCommand1AccessibleName =
    "Velloran: remove repeated lines from text files";
inline constexpr std::string_view kCommand1AccessibleDescription =
    "Press Tab for the file list, then Add files and Remove dupes.";
inline constexpr std::string_view kList1AccessibleName = "File list";
inline constexpr std::string_view kCheck1AccessibleName = "Add files";
inline constexpr std::string_view kCheck1AccessibleDescription =
    "Opens a dialog to add text files to the list.";
inline constexpr std::string_view kCheck2AccessibleName = "Remove dupes";
inline constexpr std::string_view kCheck2AccessibleDescription =
    "Removes repeated lines from each file in the list, asking where to save each result.";
inline constexpr std::string_view kProgressPathAccessibleDescription = "The file being worked on";
inline constexpr std::string_view kProgressStepAccessibleDescription = "What is being done";
inline constexpr std::string_view kProgressBarAccessibleName = "Progress";
inline constexpr std::string_view kCancelAccessibleDescription =
    "Stops the work; the file stays as it was.";

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
