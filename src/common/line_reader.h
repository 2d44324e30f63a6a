#pragma once

#include <cstddef>
#include <string>

#include "common/file.h"

namespace tarnik {

// Size of the read buffer of configuration, tosser and template files. Not observable: a
// line never depends on where a chunk ends.
inline constexpr std::size_t kTextBufferSize = 61440;

// Reads a text file line by line. LF and CR LF both end a line (the CR is dropped); a line is
// cut to 255 bytes and the rest of it skipped.
class LineReader {
 public:
  explicit LineReader(std::size_t bufferSize = kTextBufferSize);

  // Opens an existing file (case-insensitive lookup). False when it cannot be opened.
  bool Open(const std::string& fileName);
  bool IsOpen() const { return file_.IsOpen(); }
  // The system's reason when Open failed.
  std::string ErrorText() const { return file_.ErrorText(); }
  // Starts again from the beginning of the file.
  void Rewind();
  // The next line; false at the end of the file.
  bool Next(std::string& line);
  void Close() { file_.Close(); }

 private:
  bool Fill();

  File file_;
  std::string buffer_;
  std::size_t bufferSize_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

}  // namespace tarnik
