#include "support/temp_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarnik::testing {

TempDir::TempDir() {
  std::error_code error;
  previous_ = std::filesystem::current_path(error).string();
  std::string pattern =
      (std::filesystem::temp_directory_path(error) / "tarnik-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  path_ = made == nullptr ? pattern : std::string(made);
  path_ += '/';
  std::filesystem::current_path(path_, error);
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::current_path(previous_, error);
  std::filesystem::remove_all(path_, error);
}

void TempDir::Write(std::string_view name, std::string_view contents) const {
  std::filesystem::path file = std::filesystem::path(path_) / std::string(name);
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

std::string TempDir::Read(std::string_view name) const {
  std::ifstream in(std::filesystem::path(path_) / std::string(name), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace tarnik::testing
