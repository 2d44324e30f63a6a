#include "support/temp_dir.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

std::string TempDir::Listing(std::string_view sub) const {
  namespace fs = std::filesystem;
  std::vector<std::string> lines;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(path_ + std::string(sub), error)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_symlink(error)) {
      lines.push_back(name + " -> " + fs::read_symlink(entry.path(), error).string());
    } else if (entry.is_directory(error)) {
      lines.push_back(name + "/");
    } else {
      lines.push_back(name + "=" + Read(std::string(sub) + name));
    }
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

}  // namespace tarnik::testing
