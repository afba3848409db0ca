#include "platform/os/posix/interrupts.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace velloran::platform::posix {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

enum SlotState : int { kFree, kFilling, kInUse };

// One file to remove. Its folder and name are written before the state
// says kInUse, and read by the handler only after it does.
struct Slot {
  std::atomic<int> state{kFree};
  int folder = -1;
  char name[NAME_MAX + 1] = {};
};

// Everything the signal handler touches: lock-free atomics, and plain data
// published through them.
struct InterruptState {
  Slot slots[16];
  std::atomic<int> deferring{0};
  std::atomic<int> pending_signal{0};
};

constinit InterruptState state;

static_assert(std::atomic<int>::is_always_lock_free);

void EndAsTheSignalAsks(int signal) {
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  ::sigaction(signal, &default_action, nullptr);
  // Blocked while this handler runs; delivered, with its default action,
  // as the handler returns.
  ::raise(signal);
}

extern "C" void OnInterrupt(int signal) {
  const int saved_errno = errno;
  if (state.deferring.load() > 0) {
    state.pending_signal.store(signal);
  } else {
    for (Slot& slot : state.slots) {
      if (slot.state.load() == kInUse) ::unlinkat(slot.folder, slot.name, 0);
    }
    EndAsTheSignalAsks(signal);
  }
  errno = saved_errno;
}

// Whether `signal` still has its default action.
bool ByDefault(int signal) {
  struct sigaction current {};
  if (::sigaction(signal, nullptr, &current) != 0) return false;
  return !(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_DFL;
}

}  // namespace

void PrepareForWriting() {
  struct sigaction handler {};
  handler.sa_handler = OnInterrupt;
  handler.sa_flags = SA_RESTART;
  sigemptyset(&handler.sa_mask);
  for (const int signal : kInterrupts) sigaddset(&handler.sa_mask, signal);
  for (const int signal : kInterrupts) {
    if (ByDefault(signal)) ::sigaction(signal, &handler, nullptr);
  }

  if (ByDefault(SIGXFSZ)) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
  }
}

RemovedOnInterrupt::RemovedOnInterrupt(int folder, std::string_view name) : slot_(-1) {
  if (name.size() > NAME_MAX) return;
  for (int i = 0; i < static_cast<int>(std::size(state.slots)); ++i) {
    Slot& slot = state.slots[i];
    int expected = kFree;
    if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
    slot.folder = folder;
    std::memcpy(slot.name, name.data(), name.size());
    slot.name[name.size()] = '\0';
    slot.state.store(kInUse);
    slot_ = i;
    return;
  }
}

RemovedOnInterrupt::~RemovedOnInterrupt() {
  if (slot_ >= 0) state.slots[slot_].state.store(kFree);
}

DeferredInterrupts::DeferredInterrupts() { state.deferring.fetch_add(1); }

DeferredInterrupts::~DeferredInterrupts() {
  if (state.deferring.fetch_sub(1) != 1) return;
  const int signal = state.pending_signal.exchange(0);
  if (signal != 0) ::raise(signal);
}

}  // namespace velloran::platform::posix
