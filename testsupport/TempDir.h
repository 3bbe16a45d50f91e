// A unique temporary directory for one test, removed with its contents when
// the object goes out of scope.
#pragma once

#include <filesystem>
#include <string>

namespace nuv::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Path of a file inside the directory, as a string for the library's APIs.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace nuv::testing
