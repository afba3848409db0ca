// velloran-slow-writer TARGET [named]: replaces TARGET with many blocks,
// written slowly, so that a test can interrupt the write. Prints "writing"
// once the first block is written and "done" once the target is replaced;
// with "named", the temporary file has a name from the start. Exits 1 with
// the error's text when the write fails.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/error.h"
#include "platform/os/posix/file_replacer.h"
#include "tests/files/test_file_calls.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const bool named = argc > 2 && std::strcmp(argv[2], "named") == 0;
  const velloran::testing::TestFileCalls calls(named);
  const std::string block(64 << 10, 'x');
  try {
    velloran::platform::posix::FileReplacer replacer(argv[1], calls);
    for (int i = 0; i < 500; ++i) {
      replacer.Write(block);
      if (i == 0) std::printf("writing\n");
      std::fflush(stdout);
      ::usleep(10000);
    }
    replacer.Commit();
  } catch (const velloran::platform::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::printf("done\n");
  return 0;
}
