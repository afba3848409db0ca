#pragma once

// The private file that new content is written to before it takes the
// target's place, and the removal of those that killed writers left behind.

#include <memory>
#include <string>
#include <string_view>

#include "platform/os/posix/file_calls.h"
#include "platform/os/posix/interrupts.h"
#include "platform/os/posix/paths_and_descriptors.h"

namespace velloran::platform::posix {

class ReplacementFile {
 public:
  // Creates a file only this process's user may read, in the folder at
  // `folder_path`, for the new content of `target_name`. Where the file
  // system allows, the file has no name until it is complete, so nothing is
  // left if the process dies; elsewhere it is named
  // ".<target name>.velloran-<process id>-<n>.tmp" and removed should
  // SIGINT, SIGTERM or SIGHUP end the process. Temporary files of such names
  // that earlier processes left in the folder are removed first. Throws
  // Error naming the folder when it refuses.
  ReplacementFile(const FileCalls& calls, const std::string& folder_path,
                  std::string_view target_name);
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  // Removes the file unless it was moved or kept.
  ~ReplacementFile();

  int fd() const { return fd_.get(); }
  int folder() const { return folder_.get(); }
  const std::string& folder_path() const { return folder_path_; }

  // Moves the file to `to_name` in the open folder `to_folder`, replacing
  // what is there. Returns 0, or the errno of the call that failed; the
  // file then stays where it was.
  int MoveTo(int to_folder, const std::string& to_name);

  // Gives the file the visible name `<target name>.velloran-<process id>-<n>.saved`
  // in its folder and keeps it, even when the process dies, until Remove.
  // Returns its path, or throws Error naming `shown_path`.
  std::string Keep(const std::string& shown_path);
  // Removes the file kept by Keep.
  void Remove();

 private:
  void CreateNamed();
  // Gives the unnamed file the first free name made by `name_for(n)`.
  // Returns 0 or an errno.
  template <class NameFor>
  int Name(NameFor name_for);

  const FileCalls& calls_;
  std::string folder_path_;
  std::string target_name_;
  UniqueFd folder_;
  UniqueFd fd_;
  std::string name_;  // empty while the file has no name
  bool remove_name_ = false;
  std::unique_ptr<RemovedOnInterrupt> removed_on_interrupt_;
};

// Removes, from the open folder `folder`, the temporary files that writers
// which no longer run left there: only names of the form above, owned by
// this process's user, whose process is gone and on which no process holds
// the lock a writer takes.
void RemoveAbandonedTemporaries(int folder);

}  // namespace velloran::platform::posix
