#include "msgbase/message_text.h"

#include <algorithm>
#include <cstring>

namespace tarnik {
namespace {

bool IsLineEnd(unsigned char c) { return c <= 13 && (c == 13 || c == 10 || c == 0); }

}  // namespace

std::size_t FindLineEnd(std::string_view text, std::size_t from) {
  const char* data = text.data();
  const std::size_t size = text.size();
  std::size_t at = from;
  // Eight bytes at a time: text bytes are nearly all above 13, so a word without any byte
  // below 14 is passed over whole. The test never misses such a byte; the bytes of a word
  // it flags are then looked at one by one (a tab or a kludge mark is no line end).
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  for (; at + 8 <= size; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + at, sizeof word);
    if (((word - kOnes * 14) & ~word & kHighBits) == 0) continue;
    for (std::size_t i = 0; i < 8; ++i) {
      if (IsLineEnd(static_cast<unsigned char>(data[at + i]))) return at + i;
    }
  }
  for (; at < size; ++at) {
    if (IsLineEnd(static_cast<unsigned char>(data[at]))) return at;
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
