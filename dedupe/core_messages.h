#pragma once

// Every message of the core's own, written once. The texts it shares with the
// OS layer (what could not be read or written, memory running out, a file
// changing while read) are in platform/os_messages.h.

#include <string_view>

namespace velloran::dedupe::core_messages {

// What failed, written before the path.
inline constexpr std::string_view kCannotRemoveRepeats = "Cannot remove repeats from";

// Why it failed.
inline constexpr std::string_view kTooManyLines = "The file has too many lines.";
inline constexpr std::string_view kTemporaryDataDamaged =
    "The temporary data was damaged (a record was cut short).";

}  // namespace velloran::dedupe::core_messages
