#include "msgbase/message_text.h"

#include <algorithm>
#include <cstring>

namespace tarnik {

std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  const char* data = text.data();
  const std::size_t size = text.size();
  std::size_t at = from;
  for (; at + 8 <= size; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + at, sizeof word);
    const std::uint64_t ends = LineEndBits(word);
    if (ends != 0) return at + static_cast<std::size_t>(FirstMarkedByte(ends));
  }
  for (; at < size; ++at) {
    const unsigned char c = static_cast<unsigned char>(data[at]);
    if (c == 13 || c == 10 || c == 0) return at;
  }
  return size;
}

std::size_t MessageText::Read(void* buffer, std::size_t count) {
  std::size_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
  std::size_t n = std::min(count, available);
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

void MessageText::Write(std::string_view bytes) {
  std::size_t overlap = std::min(bytes.size(), bytes_.size() - position_);
  bytes_.replace(position_, overlap, bytes.data(), overlap);
  bytes_.append(bytes.data() + overlap, bytes.size() - overlap);
  position_ += bytes.size();
}

bool MessageText::Seek(std::int64_t position) {
  if (position < 0 || static_cast<std::uint64_t>(position) > bytes_.size()) return false;
  position_ = static_cast<std::size_t>(position);
  return true;
}

std::string_view MessageText::ReadLine(std::size_t maxBytes) {
  const std::size_t size = bytes_.size();
  if (position_ >= size) return {};
  const char* data = bytes_.data();
  std::size_t start = position_;
  std::size_t end = FindLineEnd(bytes_, start);
  position_ = end;
  if (position_ < size) {
    ++position_;
    if (position_ < size && data[position_] == 10) ++position_;
  }
  return std::string_view(data + start, std::min(end - start, maxBytes));
}

}  // namespace tarnik
