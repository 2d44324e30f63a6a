#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/byte_source.h"

namespace tarnik {

// Where a reader finds the files it is made of, by name: the disk, or named byte strings in
// memory, so a reader (a message base with its member files) runs over bytes a test or fuzzer
// made without writing them to disk. Only reading: nothing here can change a file.
class FileOpener {
 public:
  virtual ~FileOpener() = default;
  // A plain file, found as ResolveExisting finds it (the exact name, else any case of the
  // last component).
  virtual bool FileExists(const std::string& name) const = 0;
  virtual bool DirectoryExists(const std::string& path) const = 0;
  // The file for reading; nullptr when it cannot be opened.
  virtual std::unique_ptr<ByteSource> OpenRead(const std::string& name) const = 0;
  // Names (not paths) of the plain files in directory matching a DOS wildcard, as ListFiles.
  virtual std::vector<std::string> ListFiles(const std::string& directory,
                                             std::string_view pattern) const = 0;
};

// The disk, through the platform layer's file functions.
class DiskFileOpener final : public FileOpener {
 public:
  bool FileExists(const std::string& name) const override;
  bool DirectoryExists(const std::string& path) const override;
  std::unique_ptr<ByteSource> OpenRead(const std::string& name) const override;
  std::vector<std::string> ListFiles(const std::string& directory,
                                     std::string_view pattern) const override;
};

// The real disk opener (an object with static storage that allocates nothing).
const FileOpener& DiskFiles();

// Files held in memory under their paths ("echo/base.sqd"). A name is found exactly, else by
// the same directory part and its last component in any case, as on disk. A directory exists
// when a file lies in it or it was added.
class MemoryFileOpener final : public FileOpener {
 public:
  void Add(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }
  void AddDirectory(const std::string& path);

  bool FileExists(const std::string& name) const override { return Find(name) != nullptr; }
  bool DirectoryExists(const std::string& path) const override;
  std::unique_ptr<ByteSource> OpenRead(const std::string& name) const override;
  std::vector<std::string> ListFiles(const std::string& directory,
                                     std::string_view pattern) const override;

 private:
  const std::string* Find(const std::string& name) const;

  std::map<std::string, std::string> files_;
  std::vector<std::string> directories_;  // each with a trailing "/"
};

}  // namespace tarnik
