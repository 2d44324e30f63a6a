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
    // Its own buffer, so a long text does not push out the block the next headers are in;
    // sized by what the source holds, not by a length a damaged file may claim.
    const std::int64_t size = source_->Size();
    const std::size_t available = offset < size
                                      ? static_cast<std::size_t>(std::min<std::uint64_t>(
                                            count, static_cast<std::uint64_t>(size - offset)))
                                      : 0;
    large_.resize(available);
    large_.resize(source_->ReadAt(offset, available, large_.data()));
    return large_;
  }
  // A request the block does not wholly hold (or that a file grown since reaches beyond)
  // refills it from the request on: a reader going forward finds its next records there.
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
