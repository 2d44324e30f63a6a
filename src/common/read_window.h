#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/byte_source.h"

namespace tarnik {

// A byte source read through one block: a reader going forward through a file pays one read
// per block instead of one per record, and takes views of the bytes it needs. Every binary
// reader reads its files through one of these.
class ReadWindow {
 public:
  explicit ReadWindow(std::size_t blockSize) : blockSize_(blockSize) {}

  // Reads source from now on (nullptr: none) and forgets the block.
  void Reset(std::unique_ptr<ByteSource> source);
  bool HasSource() const { return source_ != nullptr; }
  // The source's size now; 0 without a source.
  std::int64_t Size() { return source_ ? source_->Size() : 0; }
  // count bytes at offset: fewer where the source ends, none without a source or for an offset
  // outside it. A request not wholly inside the block refills it from offset; one larger than
  // the block is read on its own and leaves the block as it was. The view is valid until the
  // next View, Drop or Reset.
  std::string_view View(std::int64_t offset, std::size_t count);
  // Forgets the buffered bytes, for a reader that has just written the file underneath.
  void Drop();

 private:
  std::unique_ptr<ByteSource> source_;
  std::size_t blockSize_;
  std::string block_;  // blockSize_ bytes once used; the first blockLength_ hold data
  std::size_t blockLength_ = 0;
  std::int64_t blockStart_ = 0;
  std::string large_;
};

}  // namespace tarnik
