// velloran-dedupe IN OUT: removes repeated lines from IN exactly as the
// remove button does, with OUT as the name chosen in the save dialog.
//   exit 0: repeats were found and the survivors written to OUT (OUT may be IN)
//   exit 3: "No duplicates found in IN"; nothing written
//   exit 1: one line naming the path and the reason
//   exit 2: wrong arguments
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "dedupe/file_removal.h"
#include "platform/error.h"
#include "platform/progress.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

int RemoveRepeats(const std::string& in, const std::string& out) {
  using namespace velloran::dedupe;
  try {
    velloran::platform::NoProgress progress;
    const FileRemoval file = FileRemoval::FindRepeats(in, progress);
    if (!file.found_repeats()) {
      std::printf("No duplicates found in %s\n", in.c_str());
      return 3;
    }
    file.WriteSurvivors(out, progress);
    return 0;
  } catch (const velloran::platform::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "Cannot remove repeats from \"%s\": Not enough memory.\n", in.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Cannot remove repeats from \"%s\": %s\n", in.c_str(), e.what());
  }
  return 1;
}

int Usage() {
  std::fprintf(stderr, "usage: velloran-dedupe IN OUT\n");
  return 2;
}

}  // namespace

#ifdef _WIN32

namespace {

std::string Utf8(const wchar_t* text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return {};
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), bytes, nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(bytes) - 1);
  return utf8;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return Usage();
  return RemoveRepeats(Utf8(argv[1]), Utf8(argv[2]));
}

#else

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  return RemoveRepeats(argv[1], argv[2]);
}

#endif
