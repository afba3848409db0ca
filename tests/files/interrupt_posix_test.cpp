// A write that a signal or a file-size limit interrupts leaves the target as
// it was and, at the latest after the next write to its folder, nothing
// beside it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/os/posix/interrupts.h"
#include "tests/files/posix_file_test.h"
#include "tests/support/child_process.h"

namespace velloran::testing {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// Reads what `fd` gives until it ends or `timeout_ms` passes without any.
std::string ReadUntilEnd(int fd, int timeout_ms = 20000) {
  std::string text;
  pollfd ready{fd, POLLIN, 0};
  while (::poll(&ready, 1, timeout_ms) > 0) {
    char chunk[512];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
    if (text.find('\n') != std::string::npos && timeout_ms == 0) break;
  }
  return text;
}

// The slow writer, started with the signals' default actions and, when
// `file_size_limit` is not 0, that limit.
class SlowWriter {
 public:
  SlowWriter(const std::string& target, bool named, rlim_t file_size_limit = 0) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return;
    const std::string program = ProgramFolder() + "/velloran-slow-writer";
    pid_ = ::fork();
    if (pid_ == 0) {
      for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) ::signal(signal, SIG_DFL);
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      if (file_size_limit != 0) {
        const rlimit limit{file_size_limit, file_size_limit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
      ::dup2(out[1], 1);
      ::dup2(err[1], 2);
      ::execl(program.c_str(), program.c_str(), target.c_str(), named ? "named" : "unnamed",
              nullptr);
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
  }
  ~SlowWriter() {
    ::close(out_);
    ::close(err_);
  }

  // Waits until the writer has begun to write. Returns false if it never does.
  bool WaitUntilWriting() {
    std::string said;
    pollfd ready{out_, POLLIN, 0};
    while (said.find("writing\n") == std::string::npos && ::poll(&ready, 1, 20000) > 0) {
      char chunk[64];
      const ssize_t got = ::read(out_, chunk, sizeof chunk);
      if (got <= 0) return false;
      said.append(chunk, static_cast<std::size_t>(got));
    }
    return said.find("writing\n") != std::string::npos;
  }

  void Send(int signal) const { ::kill(pid_, signal); }

  // Waits for the end and returns the wait status.
  int Wait() const {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
  }

  std::string Errors() const { return ReadUntilEnd(err_); }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
};

class InterruptTest : public PosixFileTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool named() const { return GetParam(); }
  std::string Target() const { return dir_.File("target.txt"); }
};

TEST_P(InterruptTest, AnInterruptRemovesTheTemporaryFileAndEndsTheProcess) {
  WriteBytes(Target(), "old");
  for (const int signal : kInterrupts) {
    SlowWriter writer(Target(), named());
    ASSERT_TRUE(writer.WaitUntilWriting()) << writer.Errors();
    writer.Send(signal);
    const int status = writer.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << strsignal(signal);
    EXPECT_EQ(ReadBytes(Target()), "old");
    EXPECT_EQ(ListFolder(dir_.path()), "target.txt") << strsignal(signal);
  }
}

TEST_P(InterruptTest, WhatAKilledWriterLeftIsRemovedByTheNextWrite) {
  WriteBytes(Target(), "old");
  SlowWriter writer(Target(), named());
  ASSERT_TRUE(writer.WaitUntilWriting()) << writer.Errors();
  writer.Send(SIGKILL);
  writer.Wait();
  EXPECT_EQ(ReadBytes(Target()), "old");
  // An unnamed temporary file dies with its writer; a named one stays
  // until the next write to the folder.
  EXPECT_EQ(ListFolder(dir_.path()) == "target.txt", !named()) << ListFolder(dir_.path());

  Replace(dir_.File("other.txt"), "new");
  EXPECT_EQ(ListFolder(dir_.path()), "other.txt target.txt");
  EXPECT_EQ(ReadBytes(Target()), "old");
}

TEST_P(InterruptTest, AFileSizeLimitIsAnErrorWithAMessage) {
  WriteBytes(Target(), "old");
  SlowWriter writer(Target(), named(), rlim_t{1} << 20);
  const int status = writer.Wait();
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(writer.Errors(), "Cannot write \"" + Target() + "\": File too large\n");
  EXPECT_EQ(ReadBytes(Target()), "old");
  EXPECT_EQ(ListFolder(dir_.path()), "target.txt");
}

INSTANTIATE_TEST_SUITE_P(Files, InterruptTest, ::testing::Values(false, true),
                         [](const auto& test) { return test.param ? "Named" : "Unnamed"; });

// Runs `work` in a child with the signals' default actions and returns its
// wait status.
template <class Work>
int StatusOfChild(Work work) {
  const pid_t child = ::fork();
  if (child == 0) {
    for (const int signal : kInterrupts) ::signal(signal, SIG_DFL);
    work();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return status;
}

TEST_F(PosixFileTest, InterruptsWaitForWorkThatMustNotStopHalfway) {
  const std::string done = dir_.File("done");
  const int status = StatusOfChild([&] {
    platform::posix::PrepareForWriting();
    const platform::posix::DeferredInterrupts deferred;
    ::raise(SIGTERM);
    WriteBytes(done, "the work ended");
  });
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(ReadBytes(done), "the work ended");
}

TEST_F(PosixFileTest, InterruptsLeaveIgnoredSignalsIgnored) {
  // A process started with SIGHUP ignored (nohup) keeps running.
  const int status = StatusOfChild([] {
    ::signal(SIGHUP, SIG_IGN);
    platform::posix::PrepareForWriting();
    ::raise(SIGHUP);
  });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace velloran::testing
