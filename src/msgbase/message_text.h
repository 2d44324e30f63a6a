#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

// Position of the first byte 0, 10 or 13 (a line end) at or after from; size when none.
std::size_t FindLineEnd(std::string_view text, std::size_t from);

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
