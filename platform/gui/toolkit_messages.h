#pragma once

// Every message a GUI toolkit can show of its own, written once: failures of
// the window system, and descriptions or calls the toolkit cannot carry out.
// The handler guard shows them in a message box. The window's own texts come
// from the program through the description (app/texts.h); the file layer's
// are in platform/os_messages.h.

#include <string>
#include <string_view>

#include "platform/window_description.h"

namespace velloran::platform::toolkit_messages {

// What failed, written before ": " and the system's reason (WithReason).
inline constexpr std::string_view kCannotCreateOwner = "Cannot create the window's owner";
inline constexpr std::string_view kMessageLoopFailed = "The message loop failed";
inline constexpr std::string_view kCannotStartWork = "Cannot start the work";
inline constexpr std::string_view kCannotTellProgramFolder = "Cannot tell the program's folder";

// What failed on a named thing, written before "<name>" (an Error's path).
inline constexpr std::string_view kCannotRegisterWindowClass = "Cannot register the window class";
inline constexpr std::string_view kCannotCreateWindow = "Cannot create the window";
inline constexpr std::string_view kCannotLoadPicture = "Cannot load the picture";
inline constexpr std::string_view kCannotLoadPointer = "Cannot load the pointer";
inline constexpr std::string_view kCannotShowMessage = "Cannot show the message";
inline constexpr std::string_view kCannotMeasure = "Cannot measure";
inline constexpr std::string_view kOpenDialogFailed = "The open dialog failed";
inline constexpr std::string_view kSaveDialogFailed = "The save dialog failed";

// Why.
inline constexpr std::string_view kNotPointerFile = "The file is not a valid pointer or icon file.";
inline constexpr std::string_view kNoDeviceContext = "no device context";

// The reasons a common dialog gives (CommDlgExtendedError), before the code.
inline constexpr std::string_view kDialogBadName = "the file name is not valid";
inline constexpr std::string_view kDialogSelectionTooLarge = "the selection is too large";
inline constexpr std::string_view kDialogOutOfMemory = "out of memory";
inline constexpr std::string_view kDialogNotCreated = "the dialog could not be created";
inline constexpr std::string_view kDialogFailed = "the dialog failed";

// "<what>: <reason>"
inline std::string WithReason(std::string_view what, std::string_view reason) {
  std::string message(what);
  message += ": ";
  message += reason;
  return message;
}

// "<reason> (common dialog error 0x3002)"
inline std::string DialogReason(std::string_view reason, std::string_view hex_code) {
  return std::string(reason) + " (common dialog error " + std::string(hex_code) + ")";
}

// Cannot create the font "<name>", with a reason when there is one.
inline std::string CannotCreateFont(std::string_view name, std::string_view reason = {}) {
  std::string message = "Cannot create the font \"" + std::string(name) + "\"";
  if (!reason.empty()) message += ": " + std::string(reason);
  return message;
}

inline std::string FontNameTooLong(std::size_t longest) {
  return "the name is longer than " + std::to_string(longest) + " characters";
}

// Cannot create <control>: <reason>
inline std::string CannotCreateControl(std::string_view control, std::string_view reason) {
  return WithReason("Cannot create " + std::string(control), reason);
}

inline std::string ListFull(std::string_view entry) {
  return "Cannot add \"" + std::string(entry) + "\" to the list: the list is full";
}

inline std::string InvalidPictureButtonValue(int value) {
  return "Invalid value " + std::to_string(value) + " for a picture button (0, 1 or 2)";
}

// Cannot <operation> entry <index> of the list: it holds <count> entries
inline std::string ListIndexOutOfRange(std::string_view operation, int index, int count) {
  return "Cannot " + std::string(operation) + " entry " + std::to_string(index) +
         " of the list: it holds " + std::to_string(count) + (count == 1 ? " entry" : " entries");
}

// A control's kind as a message names it: "a list box".
inline std::string_view KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kCommandButton:
      return "a command button";
    case ControlKind::kListBox:
      return "a list box";
    case ControlKind::kPictureButton:
      return "a picture button";
    case ControlKind::kLabel:
      return "a label";
    case ControlKind::kProgressBar:
      return "a progress bar";
  }
  return "a control of no known kind";
}

// The window's description makes <control> <kind>; it must be <needed>
inline std::string WrongControlKind(std::string_view control, ControlKind kind,
                                    ControlKind needed) {
  return "The window's description makes " + std::string(control) + " " +
         std::string(KindName(kind)) + "; it must be " + std::string(KindName(needed));
}

}  // namespace velloran::platform::toolkit_messages
