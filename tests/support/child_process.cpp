#include "tests/support/child_process.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <filesystem>

namespace velloran::testing {
namespace {

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put <= 0 && errno != EINTR) return;
    if (put > 0) done += static_cast<std::size_t>(put);
  }
}

std::string ReadAll(int fd) {
  std::string text;
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return text;
    text.append(chunk, static_cast<std::size_t>(got));
  }
}

std::string BecomeUser(const UserIdentity& user) {
  if (::setgroups(user.groups.size(), user.groups.data()) != 0) return "setgroups failed";
  if (::setresgid(user.gid, user.gid, user.gid) != 0) return "setresgid failed";
  if (::setresuid(user.uid, user.uid, user.uid) != 0) return "setresuid failed";
  return {};
}

}  // namespace

UserIdentity Nobody() { return {65534, 65534, {}}; }

bool IsRoot() { return ::geteuid() == 0; }

std::string InChild(const std::function<std::string()>& work,
                    const std::optional<UserIdentity>& as) {
  int report[2];
  if (::pipe(report) != 0) return "pipe failed";
  const pid_t child = ::fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    ::close(report[0]);
    std::string outcome;
    try {
      outcome = as ? BecomeUser(*as) : std::string();
      if (outcome.empty()) outcome = work();
    } catch (const std::exception& e) {
      outcome = std::string("exception: ") + e.what();
    }
    WriteAll(report[1], outcome);
    ::_exit(0);
  }
  ::close(report[1]);
  std::string outcome = ReadAll(report[0]);
  ::close(report[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the child died: " + outcome;
  return outcome;
}

std::string AsOrdinaryUser(const std::function<std::string()>& work) {
  return IsRoot() ? InChild(work, Nobody()) : InChild(work);
}

std::string ProgramFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

}  // namespace velloran::testing
