#include "common/line_reader.h"

#include <algorithm>

#include "common/text.h"

namespace tarnik {

LineReader::LineReader(std::size_t bufferSize, std::int64_t maxBytes)
    : maxBytes_(maxBytes), bufferSize_(bufferSize == 0 ? 1 : bufferSize) {}

bool LineReader::Open(const std::string& fileName, const FileOpener& files) {
  pos_ = end_ = 0;
  offset_ = 0;
  error_.clear();
  source_ = files.OpenRead(fileName);
  if (!source_) {
    error_ = files.OpenError(fileName);
    return false;
  }
  if (source_->Size() > maxBytes_) {
    source_.reset();
    error_ = TooLargeText(maxBytes_);
    return false;
  }
  return true;
}

void LineReader::Rewind() {
  offset_ = 0;
  pos_ = end_ = 0;
}

// Never past maxBytes: a file that grows while it is read stays bounded.
bool LineReader::Fill() {
  if (!source_ || offset_ >= maxBytes_) return false;
  const std::size_t want =
      static_cast<std::size_t>(std::min<std::int64_t>(bufferSize_, maxBytes_ - offset_));
  buffer_.resize(bufferSize_);
  end_ = source_->ReadAt(offset_, want, buffer_.data());
  offset_ += static_cast<std::int64_t>(end_);
  pos_ = 0;
  return end_ > 0;
}

bool LineReader::Next(std::string& line) {
  line.clear();
  bool any = false;
  // A CR is kept back until we know whether an LF follows it, also across chunks.
  bool pendingCr = false;
  for (;;) {
    if (pos_ >= end_ && !Fill()) break;
    any = true;
    char c = buffer_[pos_++];
    if (c == '\n') {
      pendingCr = false;
      break;
    }
    if (pendingCr && line.size() < kShortStringMax) line += '\r';
    pendingCr = c == '\r';
    if (!pendingCr && line.size() < kShortStringMax) line += c;
  }
  if (pendingCr && line.size() < kShortStringMax) line += '\r';
  return any;
}

}  // namespace tarnik
