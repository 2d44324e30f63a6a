#include "common/byte_source.h"

#include <algorithm>
#include <cstring>

namespace tarnik {

std::size_t MemoryByteSource::ReadAt(std::int64_t offset, std::size_t count, char* out) {
  if (offset < 0 || static_cast<std::uint64_t>(offset) >= bytes_.size()) return 0;
  const std::size_t at = static_cast<std::size_t>(offset);
  const std::size_t n = std::min(count, bytes_.size() - at);
  std::memcpy(out, bytes_.data() + at, n);
  return n;
}

}  // namespace tarnik
