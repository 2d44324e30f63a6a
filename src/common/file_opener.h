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
  // One name for every spelling and link of something that is there (on disk the canonical
  // path), so a reader can tell a file it is already reading; empty when nothing is there.
  virtual std::string CanonicalName(const std::string& name) const = 0;
  // The file for reading; nullptr when it cannot be opened.
  virtual std::unique_ptr<ByteSource> OpenRead(const std::string& name) const = 0;
  // Why OpenRead of name failed, in the system's words ("Permission denied").
  virtual std::string OpenError(const std::string& name) const = 0;
  // The file under exactly a name that ListFiles gave, with no search for another spelling
  // (on disk that lists the directory again); nullptr when it cannot be opened, with gone
  // set when nothing is there under that name any more (deleted since the listing).
  virtual std::unique_ptr<ByteSource> OpenListed(const std::string& name, bool& gone) const = 0;
  // Names (not paths) of the plain files in directory matching a DOS wildcard, as ListFiles.
  virtual std::vector<std::string> ListFiles(const std::string& directory,
                                             std::string_view pattern) const = 0;
};

// The disk, through the platform layer's file functions.
class DiskFileOpener final : public FileOpener {
 public:
  bool FileExists(const std::string& name) const override;
  bool DirectoryExists(const std::string& path) const override;
  std::string CanonicalName(const std::string& name) const override;
  std::unique_ptr<ByteSource> OpenRead(const std::string& name) const override;
  // Tries the file once more for the system's reason.
  std::string OpenError(const std::string& name) const override;
  std::unique_ptr<ByteSource> OpenListed(const std::string& name, bool& gone) const override;
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
  // Deletes the file under exactly this path, as another program would.
  void Remove(const std::string& path) { files_.erase(path); }

  bool FileExists(const std::string& name) const override { return Find(name) != nullptr; }
  bool DirectoryExists(const std::string& path) const override;
  // The path the file was added under, or the directory's path with a trailing "/".
  std::string CanonicalName(const std::string& name) const override;
  std::unique_ptr<ByteSource> OpenRead(const std::string& name) const override;
  // A file that is not there.
  std::string OpenError(const std::string& name) const override;
  std::unique_ptr<ByteSource> OpenListed(const std::string& name, bool& gone) const override;
  std::vector<std::string> ListFiles(const std::string& directory,
                                     std::string_view pattern) const override;

 private:
  // The entry of name, found as on disk; nullptr when there is none.
  const std::pair<const std::string, std::string>* Find(const std::string& name) const;

  std::map<std::string, std::string> files_;
  std::vector<std::string> directories_;  // each with a trailing "/"
};

}  // namespace tarnik
