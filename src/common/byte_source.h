#pragma once

#include <cstddef>
#include <cstdint>
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

// A file opened read-only (found as ResolveExisting does). Nothing is ever written through it.
class FileByteSource final : public ByteSource {
 public:
  // False when the file cannot be opened.
  bool Open(const std::string& name) { return file_.Open(name, FileMode::kReadOnly); }
  // The system's reason when Open failed.
  std::string ErrorText() const { return file_.ErrorText(); }
  std::int64_t Size() override { return file_.Size(); }
  std::size_t ReadAt(std::int64_t offset, std::size_t count, char* out) override {
    return file_.ReadAt(offset, out, count);
  }

 private:
  File file_;
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
