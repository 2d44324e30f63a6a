#include "common/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "common/byte_source.h"
#include "common/cp866.h"
#include "common/file.h"

namespace tarnik {
namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

// The status of what ResolveExisting finds; the exact name costs a single stat.
bool StatExisting(const std::string& path, struct stat& info) {
  if (path.empty()) return false;
  if (::stat(path.c_str(), &info) == 0) return true;
  std::string actual = ResolveExisting(path);
  return !actual.empty() && ::stat(actual.c_str(), &info) == 0;
}

// RAII over DIR*.
class DirectoryReader {
 public:
  explicit DirectoryReader(const std::string& path)
      : dir_(::opendir(path.empty() ? "." : path.c_str())) {}
  ~DirectoryReader() {
    if (dir_ != nullptr) ::closedir(dir_);
  }
  DirectoryReader(const DirectoryReader&) = delete;
  DirectoryReader& operator=(const DirectoryReader&) = delete;
  bool ok() const { return dir_ != nullptr; }
  // Next entry name other than "." and ".."; false at the end.
  bool Next(std::string& name, unsigned char& type) {
    while (dir_ != nullptr) {
      dirent* entry = ::readdir(dir_);
      if (entry == nullptr) return false;
      std::string_view n(entry->d_name);
      if (n == "." || n == "..") continue;
      name.assign(n);
      type = entry->d_type;
      return true;
    }
    return false;
  }

 private:
  DIR* dir_;
};

bool MatchFrom(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || UpperLatin(pattern[p]) == UpperLatin(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

std::string ResolveExisting(const std::string& path) {
  if (path.empty()) return {};
  if (Exists(path)) return path;
  std::string_view view(path);
  while (view.size() > 1 && view.back() == '/') view.remove_suffix(1);
  std::size_t slash = view.rfind('/');
  std::string directory =
      slash == std::string_view::npos ? std::string() : std::string(view.substr(0, slash + 1));
  std::string_view last = slash == std::string_view::npos ? view : view.substr(slash + 1);
  if (last.empty()) return {};
  DirectoryReader reader(directory);
  std::string name;
  unsigned char type = 0;
  while (reader.Next(name, type)) {
    if (EqualLatinFolded(name, last)) return directory + name;
  }
  return {};
}

bool FileExists(const std::string& path) {
  struct stat info;
  return StatExisting(path, info) && S_ISREG(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat info;
  return StatExisting(path, info) && S_ISDIR(info.st_mode);
}

bool DirectoryHasEntries(const std::string& path) {
  std::string actual = ResolveExisting(path.empty() ? std::string(".") : path);
  if (actual.empty()) return false;
  DirectoryReader reader(actual);
  std::string name;
  unsigned char type = 0;
  return reader.Next(name, type);
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*" || pattern == "*") return true;
  return MatchFrom(pattern, name);
}

std::vector<std::string> ListFiles(const std::string& directory, std::string_view pattern) {
  std::vector<std::string> names;
  std::string actual = directory.empty() ? std::string(".") : ResolveExisting(directory);
  if (actual.empty()) return names;
  DirectoryReader reader(actual);
  std::string prefix = actual;
  if (prefix.back() != '/') prefix += '/';
  std::string name;
  unsigned char type = 0;
  while (reader.Next(name, type)) {
    if (!WildcardMatch(pattern, name)) continue;
    bool regular = type == DT_REG;
    if (type == DT_UNKNOWN || type == DT_LNK) {
      struct stat info;
      regular = ::stat((prefix + name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }
    if (regular) names.push_back(name);
  }
  return names;
}

bool CreateDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool CreateDirectories(const std::string& path) {
  if (path.empty()) return true;
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      std::string level = path.substr(0, i);
      if (!DirectoryExists(level)) ::mkdir(level.c_str(), 0755);
    }
  }
  return DirectoryExists(path);
}

bool DeleteFile(const std::string& path) {
  std::string actual = ResolveExisting(path);
  return !actual.empty() && ::unlink(actual.c_str()) == 0;
}

std::string CurrentDirectory() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return ".";
  return buffer;
}

bool ChangeDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

std::string ExecutableDirectory() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return DirectoryPart(std::string_view(buffer, static_cast<std::size_t>(n)));
}

bool ReplaceFile(const std::string& path, std::string_view contents, std::string* reason) {
  std::string target = ResolveExisting(path);
  if (target.empty()) target = path;
  std::string temporary = target + ".tmp" + std::to_string(::getpid());
  {
    File file;
    if (!file.Open(temporary, FileMode::kCreate)) {
      if (reason != nullptr) *reason = file.ErrorText();
      return false;
    }
    if (!file.Write(contents.data(), contents.size()) || !file.Sync()) {
      if (reason != nullptr) *reason = file.ErrorText();
      file.Close();
      ::unlink(temporary.c_str());
      return false;
    }
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    if (reason != nullptr) *reason = SystemErrorText(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& contents, std::string* reason) {
  FileByteSource file;
  if (!file.Open(path)) {
    if (reason != nullptr) *reason = file.ErrorText();
    return false;
  }
  contents.resize(static_cast<std::size_t>(file.Size()));
  contents.resize(file.ReadAt(0, contents.size(), contents.data()));
  return true;
}

std::string DirectoryPart(std::string_view path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

}  // namespace tarnik
