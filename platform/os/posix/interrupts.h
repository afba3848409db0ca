#pragma once

// What an interrupted process must not leave behind. A signal handler needs
// some process-wide state; all of the file layer's lives behind this
// interface: a few slots naming temporary files, a count of the stretches of
// work that must not stop halfway, and the handler that reads them.

#include <string_view>

namespace velloran::platform::posix {

// Readies the process for writing files: SIGINT, SIGTERM and SIGHUP, where
// they would end the process, first remove the files named by living
// RemovedOnInterrupt objects; and a write past the file-size limit fails
// with EFBIG instead of ending the process with SIGXFSZ. Signals that the
// process ignores or handles itself are left as they are. Cheap enough to
// call before every write.
void PrepareForWriting();

// While it lives, the file `name` (at most NAME_MAX bytes) in the open
// folder `folder` is removed before SIGINT, SIGTERM or SIGHUP ends the
// process. A few such files can be named at once; past that, a file is not
// named, and the next write to its folder removes it instead.
class RemovedOnInterrupt {
 public:
  RemovedOnInterrupt(int folder, std::string_view name);
  RemovedOnInterrupt(const RemovedOnInterrupt&) = delete;
  RemovedOnInterrupt& operator=(const RemovedOnInterrupt&) = delete;
  ~RemovedOnInterrupt();

 private:
  int slot_;
};

// While any lives, SIGINT, SIGTERM and SIGHUP wait, and end the process
// when the last one ends: for work that must not stop halfway.
class DeferredInterrupts {
 public:
  DeferredInterrupts();
  DeferredInterrupts(const DeferredInterrupts&) = delete;
  DeferredInterrupts& operator=(const DeferredInterrupts&) = delete;
  ~DeferredInterrupts();
};

}  // namespace velloran::platform::posix
