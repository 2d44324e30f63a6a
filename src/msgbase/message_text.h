#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnik {

// Position of the first byte 0, 10 or 13 (a line end) at or after from; size when none.
std::size_t FindLineEnd(std::string_view text, std::size_t from);

// The high bit of each byte of word that equals value, exactly (no carry crosses bytes).
inline std::uint64_t EqualBytes(std::uint64_t word, std::uint8_t value) {
  const std::uint64_t x = word ^ (0x0101010101010101u * value);
  return ~(((x & 0x7F7F7F7F7F7F7F7Fu) + 0x7F7F7F7F7F7F7F7Fu) | x | 0x7F7F7F7F7F7F7F7Fu);
}
// The high bit of each byte of word that is 0, 10 or 13.
inline std::uint64_t LineEndBits(std::uint64_t word) {
  return EqualBytes(word, 13) | EqualBytes(word, 10) | EqualBytes(word, 0);
}
// Index in memory order of the first byte that a non-zero mask of a word loaded with memcpy
// marks; ClearFirstBit drops that byte's bit.
inline int FirstMarkedByte(std::uint64_t bits) {
  if constexpr (std::endian::native == std::endian::little) return std::countr_zero(bits) / 8;
  return std::countl_zero(bits) / 8;
}
inline std::uint64_t ClearFirstBit(std::uint64_t bits) {
  if constexpr (std::endian::native == std::endian::little) return bits & (bits - 1);
  return bits & ~(std::uint64_t{1} << (63 - std::countl_zero(bits)));
}

// Calls line(view) for every line of text in order, split exactly as MessageText::ReadLine
// splits it from position 0, without the 255-byte cut (views are whole lines). Reads the
// text eight bytes at a time, so it is the way to look at every line of a large text.
template <typename LineFunction>
void ForEachLine(std::string_view text, LineFunction&& line) {
  const char* data = text.data();
  const std::size_t size = text.size();
  std::size_t lineStart = 0;
  auto lineEnd = [&](std::size_t end) {
    // The LF right after a line end belongs to that end.
    if (end < lineStart) return;
    line(std::string_view(data + lineStart, end - lineStart));
    lineStart = end + 1;
    if (lineStart < size && data[lineStart] == 10) ++lineStart;
  };
  std::size_t at = 0;
#if defined(__SSE2__)
  // Thirty-two bytes a step: a message line is some 40 to 70 bytes, so most steps find at
  // most one end.
  const __m128i cr = _mm_set1_epi8(13);
  const __m128i lf = _mm_set1_epi8(10);
  const __m128i nul = _mm_setzero_si128();
  auto endMask = [&](const char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i ends = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)),
                                      _mm_cmpeq_epi8(v, nul));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(ends));
  };
  for (; at + 32 <= size; at += 32) {
    std::uint32_t ends = endMask(data + at) | (endMask(data + at + 16) << 16);
    for (; ends != 0; ends &= ends - 1) {
      lineEnd(at + static_cast<std::size_t>(std::countr_zero(ends)));
    }
  }
#endif
  for (; at + 8 <= size; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + at, sizeof word);
    // Nearly every word has no byte below 14 and is passed over after this one test.
    if (((word - 0x0E0E0E0E0E0E0E0Eu) & ~word & 0x8080808080808080u) == 0) continue;
    for (std::uint64_t ends = LineEndBits(word); ends != 0; ends = ClearFirstBit(ends)) {
      lineEnd(at + static_cast<std::size_t>(FirstMarkedByte(ends)));
    }
  }
  for (; at < size; ++at) {
    const unsigned char c = static_cast<unsigned char>(data[at]);
    if (c == 13 || c == 10 || c == 0) lineEnd(at);
  }
  if (lineStart < size) line(std::string_view(data + lineStart, size - lineStart));
}

// The text of one open message, held in memory with a read/write position. Lines end with CR;
// kludge lines begin with byte 1. Clearing keeps the allocated capacity, so a scan that reuses
// one text for every message allocates only while its largest message grows.
class MessageText {
 public:
  void Clear() {
    bytes_.clear();
    position_ = 0;
  }

  // Copies up to count bytes from the position; returns the number copied.
  std::size_t Read(void* buffer, std::size_t count);
  // Writes at the position, overwriting and extending as needed; the position moves past it.
  void Write(std::string_view bytes);
  void Write(const void* buffer, std::size_t count) {
    Write(std::string_view(static_cast<const char*>(buffer), count));
  }
  // Moves the position; false (position unchanged) for a place outside 0 .. Size().
  bool Seek(std::int64_t position);
  std::int32_t Position() const { return static_cast<std::int32_t>(position_); }
  std::int32_t Size() const { return static_cast<std::int32_t>(bytes_.size()); }
  bool AtEnd() const { return position_ >= bytes_.size(); }
  // Cuts the text at the position.
  void Truncate() { bytes_.resize(position_); }

  // The next line from the position, without its terminator: a line ends at the first byte
  // 0, 10 or 13, and a 10 right after that terminator belongs to it (CR LF, LF LF and NUL LF
  // end one line). At most maxBytes bytes are returned; the rest of a longer line is skipped.
  // At the end of the text the line is empty. The view is valid until the text changes.
  std::string_view ReadLine(std::size_t maxBytes);

  // All bytes; valid until the text changes.
  std::string_view Bytes() const { return bytes_; }
  // Direct access for loaders that fill the text in one step.
  std::string& Buffer() { return bytes_; }

 private:
  std::string bytes_;
  std::size_t position_ = 0;
};

}  // namespace tarnik
