#pragma once

#include <string>
#include <string_view>

namespace tarnik::testing {

// A fresh directory under the system temp folder that the test enters; on destruction the
// previous working directory is restored and the directory removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Absolute path with a trailing "/".
  const std::string& path() const { return path_; }
  // path() + name.
  std::string File(std::string_view name) const { return path_ + std::string(name); }
  // Writes a file (creating parent directories) relative to the directory.
  void Write(std::string_view name, std::string_view contents) const;
  std::string Read(std::string_view name) const;
  // Every entry of the directory or its subdirectory sub ("reports/"), sorted, one per line:
  // "name -> target" for a link, "name/" for a directory, "name=contents" for a file. Read with
  // std::filesystem so the rendering does not lean on the code under test.
  std::string Listing(std::string_view sub = "") const;

 private:
  std::string path_;
  std::string previous_;
};

}  // namespace tarnik::testing
