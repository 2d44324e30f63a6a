#include "common/line_reader.h"

#include "common/text.h"

namespace tarnik {

LineReader::LineReader(std::size_t bufferSize) : bufferSize_(bufferSize == 0 ? 1 : bufferSize) {}

bool LineReader::Open(const std::string& fileName) {
  pos_ = end_ = 0;
  return file_.Open(fileName, FileMode::kReadOnly);
}

void LineReader::Rewind() {
  file_.Seek(0);
  pos_ = end_ = 0;
}

bool LineReader::Fill() {
  if (!file_.IsOpen()) return false;
  buffer_.resize(bufferSize_);
  end_ = file_.ReadSome(buffer_.data(), bufferSize_);
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
