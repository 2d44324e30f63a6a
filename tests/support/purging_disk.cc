#include "support/purging_disk.h"

#include <optional>

#include "common/file_system.h"
#include "msgbase/msg_format.h"

namespace tarnik::testing {

bool PurgingDisk::FileExists(const std::string& name) const { return DiskFiles().FileExists(name); }

bool PurgingDisk::DirectoryExists(const std::string& path) const {
  return DiskFiles().DirectoryExists(path);
}

std::string PurgingDisk::CanonicalName(const std::string& name) const {
  return DiskFiles().CanonicalName(name);
}

std::unique_ptr<ByteSource> PurgingDisk::OpenRead(const std::string& name) const {
  ++searchingOpens_;
  return DiskFiles().OpenRead(name);
}

std::string PurgingDisk::OpenError(const std::string& name) const {
  return DiskFiles().OpenError(name);
}

std::unique_ptr<ByteSource> PurgingDisk::OpenListed(const std::string& name, bool& gone) const {
  return DiskFiles().OpenListed(name, gone);
}

std::vector<std::string> PurgingDisk::ListFiles(const std::string& directory,
                                                std::string_view pattern) const {
  std::vector<std::string> names = DiskFiles().ListFiles(directory, pattern);
  if (listings_++ == 0) {
    for (const std::string& name : names) {
      const std::optional<std::int32_t> n = MsgFileNumber(name);
      if (n && *n % 2 == 0) DeleteFile(directory + name);
    }
  }
  return names;
}

}  // namespace tarnik::testing
