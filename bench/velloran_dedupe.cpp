// velloran-dedupe [--memory-budget=SIZE] IN OUT: removes repeated lines from
// IN exactly as the remove button does, with OUT as the name chosen in the
// save dialog. SIZE is the memory one file may use, in bytes with an
// optional K, M or G (powers of 1024); without it the machine's default.
//   exit 0: repeats were found and the survivors written to OUT (OUT may be IN)
//   exit 3: "No duplicates found in IN"; nothing written
//   exit 1: one line naming the path and the reason
//   exit 2: wrong arguments
#include <cstdint>
#include <cstdio>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dedupe/core_messages.h"
#include "dedupe/file_removal.h"
#include "platform/error.h"
#include "platform/os_messages.h"
#include "platform/progress.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using velloran::dedupe::RemovalOptions;

// Cannot remove repeats from "IN": REASON
void Report(const std::string& in, std::string_view reason) {
  const velloran::platform::Error error(velloran::dedupe::core_messages::kCannotRemoveRepeats, in,
                                        reason);
  std::fprintf(stderr, "%s\n", error.what());
}

int RemoveRepeats(const std::string& in, const std::string& out, const RemovalOptions& options) {
  using namespace velloran::dedupe;
  try {
    velloran::platform::NoProgress progress;
    const FileRemoval file = FileRemoval::FindRepeats(in, progress, options);
    if (!file.found_repeats()) {
      std::printf("No duplicates found in %s\n", in.c_str());
      return 3;
    }
    file.WriteSurvivors(out, progress);
    return 0;
  } catch (const velloran::platform::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (const std::bad_alloc&) {
    Report(in, velloran::platform::os_messages::kNotEnoughMemory);
  } catch (const std::exception& e) {
    Report(in, e.what());
  }
  return 1;
}

int Usage() {
  std::fprintf(stderr, "usage: velloran-dedupe [--memory-budget=SIZE] IN OUT\n");
  return 2;
}

// "512M" and the like: digits and an optional K, M or G; nothing else.
std::optional<std::uint64_t> ParseSize(std::string_view text) {
  unsigned shift = 0;
  if (!text.empty()) {
    switch (text.back()) {
      case 'K':
        shift = 10;
        break;
      case 'M':
        shift = 20;
        break;
      case 'G':
        shift = 30;
        break;
    }
    if (shift != 0) text.remove_suffix(1);
  }
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value == 0 || value > (std::numeric_limits<std::uint64_t>::max() >> shift)) {
    return std::nullopt;
  }
  return value << shift;
}

int Run(const std::vector<std::string>& arguments) {
  constexpr std::string_view kBudget = "--memory-budget=";
  RemovalOptions options;
  std::vector<std::string> files;
  for (const std::string& argument : arguments) {
    if (argument.starts_with(kBudget)) {
      const auto size = ParseSize(std::string_view(argument).substr(kBudget.size()));
      if (!size || options.memory_budget != 0) return Usage();
      options.memory_budget = *size;
    } else {
      files.push_back(argument);
    }
  }
  if (files.size() != 2) return Usage();
  return RemoveRepeats(files[0], files[1], options);
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
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8(argv[i]));
  return Run(arguments);
}

#else

int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }

#endif
