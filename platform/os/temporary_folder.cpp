#include "platform/os/temporary_folder.h"

#include "platform/error.h"
#include "platform/temporary_file.h"

namespace velloran::platform {
namespace os {

std::string ChooseTemporaryFolder(
    const std::string& system, const std::string& beside,
    const std::function<std::uint64_t(const std::string&)>& free_space,
    const std::function<bool(const std::string&)>& takes_data) {
  if (free_space(beside) <= free_space(system)) return system;
  return takes_data(beside) ? beside : system;
}

}  // namespace os

namespace {

// Whether temporary data can be kept in `folder`, told by keeping some: one
// temporary file is made there and goes again at once. So everything that
// decides it counts on every system: permissions, access control lists, a
// read-only disk, a folder that is gone.
bool TakesTemporaryData(const std::string& folder) {
  try {
    const TemporaryFile probe(folder);
    return true;
  } catch (const Error&) {
    return false;
  }
}

}  // namespace

std::string TemporaryFolderFor(const std::string& source_path) {
  return os::ChooseTemporaryFolder(os::SystemTemporaryFolder(), os::FolderHolding(source_path),
                                   FreeSpace, TakesTemporaryData);
}

}  // namespace velloran::platform
