#pragma once

// How the folder for temporary data is chosen (TemporaryFolderFor), written
// once for every system, and what each system supplies to it.

#include <cstdint>
#include <functional>
#include <string>

namespace velloran::platform::os {

// The choice: `beside` (the source's folder) when it has more free room than
// `system` and takes temporary data, otherwise `system`. Asks `takes_data`
// only when the room would pick `beside`.
std::string ChooseTemporaryFolder(
    const std::string& system, const std::string& beside,
    const std::function<std::uint64_t(const std::string&)>& free_space,
    const std::function<bool(const std::string&)>& takes_data);

// Per system: its folder for temporary data (TMPDIR or /tmp; %TEMP%).
std::string SystemTemporaryFolder();

// Per system: the folder that holds `path`, "." for a bare name.
std::string FolderHolding(const std::string& path);

}  // namespace velloran::platform::os
