#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "common/file.h"

namespace tarnik {

// Bytes a binary reader takes by offset: a file opened read-only, or a string in memory, so
// every reader runs the same over a file and over bytes a test or fuzzer made.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The size in bytes now; a file another program appends to grows between calls.
  virtual std::int64_t Size() = 0;
  // Copies up to count bytes at offset to out; the number copied, fewer where the source
  // ends and 0 for an offset outside it.
  virtual std::size_t ReadAt(std::int64_t offset, std::size_t count, char* out) = 0;
};

// The most bytes a text input (configuration, tosser configuration, template, language or
// data file) may have: far more than any real one, and a bound for a file that never ends
// (/dev/zero named by mistake).
inline constexpr std::int64_t kTextInputLimit = 64 * 1024 * 1024;
// Why a text input is refused: it is larger than maxBytes.
std::string TooLargeText(std::int64_t maxBytes);

// A file opened read-only (found as ResolveExisting does). Nothing is ever written through it.
// A pipe or device, which has no size and cannot be read by offset, is read to its end into
// memory when opened, at most streamLimit + 1 bytes of it, so a reader can tell that it was
// larger than the limit.
class FileByteSource final : public ByteSource {
 public:
  // False when the file cannot be opened.
  bool Open(const std::string& name, std::int64_t streamLimit = kTextInputLimit);
  // As Open, under exactly the name given (one a directory listing gave).
  bool OpenExact(const std::string& name);
  // The system's reason when Open failed.
  std::string ErrorText() const { return file_.ErrorText(); }
  std::int64_t Size() override;
  std::size_t ReadAt(std::int64_t offset, std::size_t count, char* out) override;

 private:
  bool TakeStream(std::int64_t streamLimit);

  File file_;
  std::unique_ptr<ByteSource> streamed_;  // what a stream held, once read
};

// Bytes held in memory.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::string bytes) : bytes_(std::move(bytes)) {}
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
  std::size_t ReadAt(std::int64_t offset, std::size_t count, char* out) override;

 private:
  std::string bytes_;
};

}  // namespace tarnik
