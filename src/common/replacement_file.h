#pragma once

#include <cstddef>
#include <string>

#include "common/file.h"

namespace tarnik {

// A file written under a temporary name beside its target ("<target>.tmp<pid>") and renamed
// over the target only when it was written whole and reached the disk, so a reader, a full
// disk or a killed run leave the old file or the new one, never part of one. The target is
// found as ResolveExisting finds it; a symbolic link is followed, so the file it points to is
// replaced and the link stays. A target that exists but is no regular file (/dev/null, a
// pipe) cannot be renamed over and is written in place, as is a file in a directory this
// process may not write in. Temporary files of runs that no longer live are removed when one
// is made.
class ReplacementFile {
 public:
  ReplacementFile() = default;
  // Abandons a replacement that was not committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Makes the temporary file (with the mode of the file it replaces); false when it cannot
  // be made, ErrorText saying why.
  bool Open(const std::string& path);
  bool IsOpen() const { return file_.IsOpen(); }
  // False once a write has failed; later writes are dropped.
  bool Write(const void* bytes, std::size_t count);
  // Puts the written file in place of the target; false (the target as it was, the temporary
  // file removed, ErrorText saying why) when anything failed, since Open.
  bool Commit();
  // Removes the temporary file and leaves the target as it was.
  void Abandon();
  // The system's reason of the first failure; empty when none.
  const std::string& ErrorText() const { return error_; }
  // An existing regular file is replaced, so a failure leaves it as it was (a file written in
  // place, or a new one, has nothing to keep).
  bool ReplacesExisting() const { return replacesExisting_; }
  // The file that is replaced (links followed).
  const std::string& Target() const { return target_; }

 private:
  void Fail(std::string reason);

  File file_;
  std::string target_;
  std::string temporary_;  // empty when the target is written in place
  std::string error_;
  bool replacesExisting_ = false;
};

}  // namespace tarnik
