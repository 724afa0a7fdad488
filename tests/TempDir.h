// A fresh directory, the current one while the object lives: settings, dumps and table files go there.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

namespace quorvelin::testing {

class TempDir {
 public:
  TempDir() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvelin-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::string path_;
};

}  // namespace quorvelin::testing
