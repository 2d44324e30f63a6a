#include "common/read_window.h"

#include <algorithm>
#include <utility>

namespace tarnik {

void ReadWindow::Reset(std::unique_ptr<ByteSource> source) {
  source_ = std::move(source);
  Drop();
}

void ReadWindow::Drop() {
  blockLength_ = 0;
  blockStart_ = 0;
  large_.clear();
}

std::string_view ReadWindow::View(std::int64_t offset, std::size_t count) {
  if (!source_ || offset < 0) return {};
  if (count > blockSize_) {
    large_.resize(count);
    large_.resize(source_->ReadAt(offset, count, large_.data()));
    return large_;
  }
  const bool inside = offset >= blockStart_ &&
                      static_cast<std::uint64_t>(offset - blockStart_) + count <= blockLength_;
  if (!inside) {
    block_.resize(blockSize_);
    blockStart_ = offset;
    blockLength_ = source_->ReadAt(offset, blockSize_, block_.data());
  }
  const std::size_t skip = static_cast<std::size_t>(offset - blockStart_);
  return std::string_view(block_).substr(skip, std::min(count, blockLength_ - skip));
}

}  // namespace tarnik
