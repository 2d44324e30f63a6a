#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

// Little-endian decoding from a byte buffer; the caller checks the length first.
inline std::uint16_t LoadU16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) |
                                    (static_cast<unsigned char>(p[1]) << 8));
}
inline std::uint32_t LoadU32(const char* p) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24);
}
inline void StoreU16(char* p, std::uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}
inline void StoreU32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Bounds-checked sequential reader over a byte buffer. A failed read consumes nothing.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  bool U8(std::uint8_t& out) {
    if (Remaining() < 1) return false;
    out = static_cast<std::uint8_t>(bytes_[pos_++]);
    return true;
  }
  bool U16(std::uint16_t& out) {
    if (Remaining() < 2) return false;
    out = LoadU16(bytes_.data() + pos_);
    pos_ += 2;
    return true;
  }
  bool U32(std::uint32_t& out) {
    if (Remaining() < 4) return false;
    out = LoadU32(bytes_.data() + pos_);
    pos_ += 4;
    return true;
  }
  bool Bytes(std::size_t count, std::string_view& out) {
    if (Remaining() < count) return false;
    out = bytes_.substr(pos_, count);
    pos_ += count;
    return true;
  }
  std::size_t Remaining() const { return bytes_.size() - pos_; }
  std::size_t Position() const { return pos_; }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// Little-endian encoder used by writers and test fixtures.
class ByteWriter {
 public:
  void U8(std::uint8_t v) { out_ += static_cast<char>(v); }
  void U16(std::uint16_t v) {
    char b[2];
    StoreU16(b, v);
    out_.append(b, 2);
  }
  void U32(std::uint32_t v) {
    char b[4];
    StoreU32(b, v);
    out_.append(b, 4);
  }
  void Bytes(std::string_view bytes) { out_.append(bytes); }
  // A zero-filled field of exactly width bytes holding at most width - 1 bytes of text.
  void Field(std::string_view text, std::size_t width) {
    std::string field(width, '\0');
    field.replace(0, std::min(text.size(), width - 1), text.substr(0, width - 1));
    out_ += field;
  }
  void Zeros(std::size_t count) { out_.append(count, '\0'); }
  std::size_t size() const { return out_.size(); }
  const std::string& bytes() const { return out_; }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

}  // namespace tarnik
