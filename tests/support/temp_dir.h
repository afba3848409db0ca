#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velloran::testing {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::filesystem::path& path() const { return path_; }
  // The UTF-8 path of `name` inside the folder, as the program spells paths.
  std::string File(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

// UTF-8 text of a path, on every platform.
std::string Utf8(const std::filesystem::path& path);

void WriteBytes(const std::string& utf8_path, std::string_view bytes);
std::string ReadBytes(const std::string& utf8_path);
// Names of the files in a folder, sorted.
std::string ListFolder(const std::filesystem::path& folder);

}  // namespace velloran::testing
