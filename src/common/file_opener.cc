#include "common/file_opener.h"

#include <algorithm>

#include "common/cp866.h"
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

std::unique_ptr<ByteSource> DiskFileOpener::OpenRead(const std::string& name) const {
  auto source = std::make_unique<FileByteSource>();
  if (!source->Open(name)) return nullptr;
  return source;
}

std::vector<std::string> DiskFileOpener::ListFiles(const std::string& directory,
                                                   std::string_view pattern) const {
  return tarnik::ListFiles(directory, pattern);
}

const FileOpener& DiskFiles() { return gDiskFiles; }

void MemoryFileOpener::AddDirectory(const std::string& path) {
  directories_.push_back(WithTrailingSlash(path));
}

const std::string* MemoryFileOpener::Find(const std::string& name) const {
  auto exact = files_.find(name);
  if (exact != files_.end()) return &exact->second;
  const std::string directory = DirectoryPart(name);
  const std::string_view last = LastComponent(name);
  if (last.empty()) return nullptr;
  for (const auto& [path, bytes] : files_) {
    if (DirectoryPart(path) == directory && EqualLatinFolded(LastComponent(path), last)) {
      return &bytes;
    }
  }
  return nullptr;
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
  const std::string* bytes = Find(name);
  if (bytes == nullptr) return nullptr;
  return std::make_unique<MemoryByteSource>(*bytes);
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
