#include "common/file_opener.h"

#include <algorithm>
#include <cerrno>

#include "common/cp866.h"
#include "common/file.h"
#include "common/file_system.h"

namespace tarnik {
namespace {

const DiskFileOpener gDiskFiles;

std::string WithTrailingSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

std::string_view LastComponent(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool DiskFileOpener::FileExists(const std::string& name) const { return tarnik::FileExists(name); }

bool DiskFileOpener::DirectoryExists(const std::string& path) const {
  return tarnik::DirectoryExists(path);
}

std::string DiskFileOpener::CanonicalName(const std::string& name) const {
  return CanonicalPath(name);
}

std::unique_ptr<ByteSource> DiskFileOpener::OpenRead(const std::string& name) const {
  auto source = std::make_unique<FileByteSource>();
  if (!source->Open(name)) return nullptr;
  return source;
}

std::string DiskFileOpener::OpenError(const std::string& name) const {
  File file;
  if (file.Open(name, FileMode::kReadOnly)) return "it changed while it was opened";
  return file.ErrorText();
}

std::unique_ptr<ByteSource> DiskFileOpener::OpenListed(const std::string& name, bool& gone) const {
  gone = false;
  auto source = std::make_unique<FileByteSource>();
  if (source->OpenExact(name)) return source;
  gone = !ExistsExactly(name);
  return nullptr;
}

std::vector<std::string> DiskFileOpener::ListFiles(const std::string& directory,
                                                   std::string_view pattern) const {
  return tarnik::ListFiles(directory, pattern);
}

const FileOpener& DiskFiles() { return gDiskFiles; }

void MemoryFileOpener::AddDirectory(const std::string& path) {
  directories_.push_back(WithTrailingSlash(path));
}

const std::pair<const std::string, std::string>* MemoryFileOpener::Find(
    const std::string& name) const {
  auto exact = files_.find(name);
  if (exact != files_.end()) return &*exact;
  const std::string directory = DirectoryPart(name);
  const std::string_view last = LastComponent(name);
  if (last.empty()) return nullptr;
  for (const auto& file : files_) {
    if (DirectoryPart(file.first) == directory &&
        EqualLatinFolded(LastComponent(file.first), last)) {
      return &file;
    }
  }
  return nullptr;
}

std::string MemoryFileOpener::CanonicalName(const std::string& name) const {
  if (const auto* file = Find(name)) return file->first;
  return DirectoryExists(name) ? WithTrailingSlash(name) : std::string();
}

bool MemoryFileOpener::DirectoryExists(const std::string& path) const {
  const std::string directory = WithTrailingSlash(path);
  if (std::find(directories_.begin(), directories_.end(), directory) != directories_.end()) {
    return true;
  }
  return std::any_of(files_.begin(), files_.end(), [&](const auto& file) {
    return file.first.compare(0, directory.size(), directory) == 0;
  });
}

std::unique_ptr<ByteSource> MemoryFileOpener::OpenRead(const std::string& name) const {
  const auto* file = Find(name);
  if (file == nullptr) return nullptr;
  return std::make_unique<MemoryByteSource>(file->second);
}

std::string MemoryFileOpener::OpenError(const std::string&) const {
  return SystemErrorText(ENOENT);
}

std::unique_ptr<ByteSource> MemoryFileOpener::OpenListed(const std::string& name,
                                                         bool& gone) const {
  auto exact = files_.find(name);
  gone = exact == files_.end();
  if (gone) return nullptr;
  return std::make_unique<MemoryByteSource>(exact->second);
}

std::vector<std::string> MemoryFileOpener::ListFiles(const std::string& directory,
                                                     std::string_view pattern) const {
  const std::string prefix = WithTrailingSlash(directory);
  std::vector<std::string> names;
  for (const auto& [path, bytes] : files_) {
    if (DirectoryPart(path) != prefix) continue;
    const std::string_view name = LastComponent(path);
    if (WildcardMatch(pattern, name)) names.emplace_back(name);
  }
  return names;
}

}  // namespace tarnik
