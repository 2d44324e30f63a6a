#include "common/replacement_file.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <utility>

#include "common/file_system.h"

namespace tarnik {
namespace {

// More links than this in a row is a loop.
constexpr int kMaxLinks = 40;

// The file a path names once every symbolic link on it is followed; the path itself when it
// is no link. A link pointing nowhere gives where it points, so the file is made there.
std::string FollowLinks(std::string path) {
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) return path;
    std::string link(buffer, static_cast<std::size_t>(n));
    path = link.front() == '/' ? link : DirectoryPart(path) + link;
  }
  return path;
}

// Removes "<target>.tmp<pid>" files left by runs that were killed while writing: their process
// is gone. A temporary file of a run still going on is left alone.
void RemoveStaleTemporaries(const std::string& target) {
  const std::string directory = DirectoryPart(target);
  const std::string prefix = target.substr(directory.size()) + ".tmp";
  const int self = static_cast<int>(::getpid());
  for (const std::string& name : ListFiles(directory, "*")) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    int pid = 0;
    const auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || end != last || pid <= 0 || pid == self) continue;
    if (::kill(pid, 0) != 0 && errno == ESRCH) ::unlink((directory + name).c_str());
  }
}

}  // namespace

ReplacementFile::~ReplacementFile() { Abandon(); }

bool ReplacementFile::Open(const std::string& path) {
  Abandon();
  error_.clear();
  std::string resolved = ResolveExisting(path);
  target_ = FollowLinks(resolved.empty() ? path : resolved);
  struct stat info;
  const bool exists = ::stat(target_.c_str(), &info) == 0;
  replacesExisting_ = exists && S_ISREG(info.st_mode);
  if (exists && !replacesExisting_) {
    if (!file_.Open(target_, FileMode::kCreateExact)) Fail(file_.ErrorText());
    return file_.IsOpen();
  }
  // A report the sysop may write in a directory the run may not write in was always written
  // in place; it still is, as nothing can be put beside it.
  const std::string directory = DirectoryPart(target_);
  if (replacesExisting_ && ::access(directory.empty() ? "." : directory.c_str(), W_OK) != 0) {
    replacesExisting_ = false;
    if (!file_.Open(target_, FileMode::kCreateExact)) Fail(file_.ErrorText());
    return file_.IsOpen();
  }
  RemoveStaleTemporaries(target_);
  temporary_ = target_ + ".tmp" + std::to_string(::getpid());
  if (!file_.Open(temporary_, FileMode::kCreateExact)) {
    Fail(file_.ErrorText());
    temporary_.clear();
    return false;
  }
  // The new file keeps the permissions the sysop gave the old one (a report a web server
  // reads, a data file kept private).
  if (replacesExisting_) ::chmod(temporary_.c_str(), info.st_mode & 07777);
  return true;
}

bool ReplacementFile::Write(const void* bytes, std::size_t count) {
  if (!error_.empty() || !file_.IsOpen()) return false;
  if (file_.Write(bytes, count)) return true;
  Fail(file_.ErrorText());
  return false;
}

bool ReplacementFile::Commit() {
  if (!file_.IsOpen()) return false;
  if (error_.empty() && !temporary_.empty() && !file_.Sync()) Fail(file_.ErrorText());
  file_.Close();
  if (temporary_.empty()) return error_.empty();
  if (error_.empty() && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    Fail(SystemErrorText(errno));
  }
  if (!error_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
    return false;
  }
  temporary_.clear();
  return true;
}

void ReplacementFile::Abandon() {
  file_.Close();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

void ReplacementFile::Fail(std::string reason) {
  if (error_.empty()) error_ = reason.empty() ? std::string("write failed") : std::move(reason);
}

}  // namespace tarnik
