#include "tests/support/temp_dir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace velloran::testing {
namespace fs = std::filesystem;
namespace {

fs::path FromUtf8(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() /
          ("velloran-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempDir::File(std::string_view name) const {
  return Utf8(path_ / FromUtf8(std::string(name)));
}

void WriteBytes(const std::string& utf8_path, std::string_view bytes) {
  std::ofstream out(FromUtf8(utf8_path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write test file " + utf8_path);
}

std::string ReadBytes(const std::string& utf8_path) {
  std::ifstream in(FromUtf8(utf8_path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read test file " + utf8_path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ListFolder(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.push_back(Utf8(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  std::string listing;
  for (const std::string& name : names) listing += (listing.empty() ? "" : " ") + name;
  return listing;
}

}  // namespace velloran::testing
