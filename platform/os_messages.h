#pragma once

// Every message the platform's OS layer can show, written once. The core
// (dedupe/) builds on the same texts; the window's own texts are in the
// program (app/texts.h), which this layer cannot include. An Error reads
// <what> "<path>": <reason>, as in
//   Cannot read "/home/ann/lists/a.txt": The file changed while it was read.

#include <string>
#include <string_view>

namespace velloran::platform::os_messages {

// What failed, written before the path.
inline constexpr std::string_view kCannotRead = "Cannot read";
inline constexpr std::string_view kCannotWrite = "Cannot write";
inline constexpr std::string_view kCannotWriteInFolder = "Cannot write in the folder";
inline constexpr std::string_view kCannotGetDate = "Cannot get the date of";
inline constexpr std::string_view kCannotKeepTemporaryData = "Cannot keep temporary data in";

// Why it failed, written after the path.
inline constexpr std::string_view kNotEnoughMemory = "Not enough memory.";
inline constexpr std::string_view kFileChanged = "The file changed while it was read.";
inline constexpr std::string_view kFileTooLarge = "The file is too large.";
inline constexpr std::string_view kFileClosed = "The file is already closed.";
inline constexpr std::string_view kFileSwapped =
    "Another file took its place while it was being written.";
#ifdef _WIN32
inline constexpr std::string_view kNotRegularInput =
    "It is not a regular file (a pipe, device or console).";
#else
inline constexpr std::string_view kNotRegularInput =
    "It is not a regular file (a pipe, device or socket).";
#endif
inline constexpr std::string_view kPathHasNul = "The path contains a NUL character.";
inline constexpr std::string_view kPathNotUtf8 = "The path is not valid UTF-8.";
inline constexpr std::string_view kPathIsFolder = "The path names a folder, not a file.";
inline constexpr std::string_view kPathIsPipe = "The path names a pipe, not a regular file.";
inline constexpr std::string_view kPathIsDevice = "The path names a device, not a regular file.";
inline constexpr std::string_view kPathIsSocket = "The path names a socket, not a regular file.";
inline constexpr std::string_view kPathNotRegular = "The path does not name a regular file.";
inline constexpr std::string_view kPathLinksUnreplaceable =
    "The path is a link to a file that cannot be replaced.";

// The system's reason a file written over in place failed, and where the
// complete new content was kept: "<reason>. The complete new content is in
// "<copy>"."
inline std::string ReasonWithCopy(std::string reason, std::string_view copy) {
  if (!reason.empty() && reason.back() != '.') reason += '.';
  reason += " The complete new content is in \"";
  reason += copy;
  reason += "\".";
  return reason;
}

// What a stopped piece of work says, should its exception ever be shown.
inline constexpr std::string_view kWorkStopped = "The work was stopped.";

// A system error without a text of its own: "error 1234".
inline constexpr std::string_view kSystemErrorNumber = "error ";

// Text that the wide API's conversions cannot take (over 2 GiB).
inline constexpr std::string_view kTextTooLong = "The text is too long to convert.";

}  // namespace velloran::platform::os_messages
