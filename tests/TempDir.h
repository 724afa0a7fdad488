// A fresh directory, the current one while the object lives, with the user's config and cache
// folders and home inside it (XDG_CONFIG_HOME=<dir>/config, XDG_CACHE_HOME=<dir>/cache,
// HOME=<dir>/home): settings, dumps and table files go there.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace quorvelin::testing {

class TempDir {
 public:
  TempDir() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvelin-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    std::filesystem::current_path(path_);
    for (Variable& v : variables_) {
      if (const char* old = std::getenv(v.name)) v.old = old;
      ::setenv(v.name, (path_ + "/" + v.folder).c_str(), 1);
    }
  }
  ~TempDir() {
    for (const Variable& v : variables_) v.old ? ::setenv(v.name, v.old->c_str(), 1) : ::unsetenv(v.name);
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  struct Variable {
    const char *name, *folder;
    std::optional<std::string> old;
  };
  std::filesystem::path previous_;
  std::string path_;
  Variable variables_[3] = {{"XDG_CONFIG_HOME", "config", {}}, {"XDG_CACHE_HOME", "cache", {}}, {"HOME", "home", {}}};
};

}  // namespace quorvelin::testing
