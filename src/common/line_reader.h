#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/byte_source.h"
#include "common/file_opener.h"

namespace tarnik {

// Size of the read buffer of configuration, tosser and template files. Not observable: a
// line never depends on where a chunk ends.
inline constexpr std::size_t kTextBufferSize = 61440;

// Reads a text file line by line. LF and CR LF both end a line (the CR is dropped); a line is
// cut to 255 bytes and the rest of it skipped. A pipe is read to its end (so "tarnik
// <(...)" works); a file larger than maxBytes is refused when opened, which bounds one that
// never ends.
class LineReader {
 public:
  explicit LineReader(std::size_t bufferSize = kTextBufferSize,
                      std::int64_t maxBytes = kTextInputLimit);

  // Opens an existing file (case-insensitive lookup) on the disk or among the files of
  // files. False when it cannot be opened or is larger than maxBytes; ErrorText says why.
  bool Open(const std::string& fileName, const FileOpener& files = DiskFiles());
  bool IsOpen() const { return source_ != nullptr; }
  // Why Open failed: the system's reason, or the size limit.
  const std::string& ErrorText() const { return error_; }
  // Starts again from the beginning of the file.
  void Rewind();
  // The next line; false at the end of the file.
  bool Next(std::string& line);
  void Close() { source_.reset(); }

 private:
  bool Fill();

  std::unique_ptr<ByteSource> source_;
  std::string error_;
  std::int64_t maxBytes_;
  std::int64_t offset_ = 0;  // of the next chunk in the source
  std::string buffer_;
  std::size_t bufferSize_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

}  // namespace tarnik
