#pragma once
// Files for tests: a folder of its own under the system's temporary folder,
// removed afterwards, and whole-file reads and writes. Portable.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

#include "framework/Exception.h"

namespace velloran::test {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "velloran-test-")
      : path_(std::filesystem::temp_directory_path() /
              (prefix + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The message of the program's error that Action raises (an input/output
// error, or a list refused for its size), or "no error".
inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace velloran::test
