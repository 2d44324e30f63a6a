#include "common/byte_source.h"

#include <algorithm>
#include <cstring>

#include "common/text.h"

namespace tarnik {

std::string TooLargeText(std::int64_t maxBytes) {
  return "more than " + Decimal(maxBytes) + " bytes, the most a text file may have";
}

bool FileByteSource::Open(const std::string& name, std::int64_t streamLimit) {
  streamed_.reset();
  if (!file_.Open(name, FileMode::kReadOnly)) return false;
  return !file_.IsStream() || TakeStream(streamLimit);
}

bool FileByteSource::OpenExact(const std::string& name) {
  streamed_.reset();
  if (!file_.Open(name, FileMode::kReadOnlyExact)) return false;
  return !file_.IsStream() || TakeStream(kTextInputLimit);
}

bool FileByteSource::TakeStream(std::int64_t streamLimit) {
  std::string bytes;
  const std::size_t most = static_cast<std::size_t>(std::max<std::int64_t>(streamLimit, 0)) + 1;
  constexpr std::size_t kChunk = 65536;
  while (bytes.size() < most) {
    const std::size_t at = bytes.size();
    bytes.resize(std::min(most, at + kChunk));
    const std::size_t got = file_.ReadSome(bytes.data() + at, bytes.size() - at);
    bytes.resize(at + got);
    if (got == 0) break;
  }
  file_.Close();
  streamed_ = std::make_unique<MemoryByteSource>(std::move(bytes));
  return true;
}

std::int64_t FileByteSource::Size() { return streamed_ ? streamed_->Size() : file_.Size(); }

std::size_t FileByteSource::ReadAt(std::int64_t offset, std::size_t count, char* out) {
  return streamed_ ? streamed_->ReadAt(offset, count, out) : file_.ReadAt(offset, out, count);
}

std::size_t MemoryByteSource::ReadAt(std::int64_t offset, std::size_t count, char* out) {
  if (offset < 0 || static_cast<std::uint64_t>(offset) >= bytes_.size()) return 0;
  const std::size_t at = static_cast<std::size_t>(offset);
  const std::size_t n = std::min(count, bytes_.size() - at);
  std::memcpy(out, bytes_.data() + at, n);
  return n;
}

}  // namespace tarnik
