#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_opener.h"

namespace tarnik::testing {

// The disk, counting what bases ask of it. After the first listing of a directory it deletes
// the *.MSG files with even numbers, as a tosser's purge running beside a scan does between
// the listing and the reading.
class PurgingDisk final : public FileOpener {
 public:
  bool FileExists(const std::string& name) const override;
  bool DirectoryExists(const std::string& path) const override;
  std::string CanonicalName(const std::string& name) const override;
  std::unique_ptr<ByteSource> OpenRead(const std::string& name) const override;
  std::string OpenError(const std::string& name) const override;
  std::unique_ptr<ByteSource> OpenListed(const std::string& name, bool& gone) const override;
  std::vector<std::string> ListFiles(const std::string& directory,
                                     std::string_view pattern) const override;

  int listings() const { return listings_; }
  // Opens that look for another spelling when the name is not there (on disk, a listing).
  int searchingOpens() const { return searchingOpens_; }

 private:
  mutable int listings_ = 0;
  mutable int searchingOpens_ = 0;
};

}  // namespace tarnik::testing
