#pragma once

// What makes a file that file besides its name and content: its owner and
// group, its permissions, its access control list and its other extended
// attributes; given to the new file that is to take an old one's place.

#include <sys/stat.h>

#include <string>

#include "platform/os/posix/file_calls.h"

namespace velloran::platform::posix {

enum class IdentityCopy { kComplete, kNotPermitted };

// Gives the new file `fd` the owner, group, mode, access control list and
// extended attributes of the file at `source` (`info` is what lstat told of
// it), and takes from it any attribute `source` lacks. Returns kNotPermitted
// when the system does not let this process give it all of them (another
// user's file, a group it is not in, an attribute it may not set): the new
// file then cannot take the old one's place. Throws Error, naming
// `shown_path`, on any other failure.
IdentityCopy CopyIdentity(const FileCalls& calls, int fd, const std::string& source,
                          const struct stat& info, const std::string& shown_path);

// Gives the new file `fd`, created private in `folder`, the permissions a
// file newly created there gets: those of the folder's default access
// control list or, without one, 0666 less the umask. Throws Error, naming
// `shown_path`.
void GiveNewFilePermissions(const FileCalls& calls, int fd, const std::string& folder,
                            const std::string& shown_path);

}  // namespace velloran::platform::posix
