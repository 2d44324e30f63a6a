// The input as FastEcho's binary configuration, read from memory through the same read window
// and area walk the reader uses on the file. The reader's own wrapper adds only the busy flag
// on disk, which a fuzzer must not scatter over the machine; the flag's name is still made
// from the stored directory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "areas/area_sink.h"
#include "areas/fastecho_format.h"
#include "areas/fastecho_reader.h"
#include "common/byte_source.h"
#include "common/read_window.h"

namespace {

class CollectingSink final : public tarnik::AreaSink {
 public:
  void Offer(std::string_view tag, std::string_view areaSpec, char groupLetter) override {
    offered.push_back(std::string(tag) + ' ' + std::string(areaSpec) + ' ' + groupLetter);
  }
  std::vector<std::string> offered;
};

// Not a multiple of the area record size, so records straddle the window's blocks.
constexpr std::size_t kBlock = 1000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  ReadWindow config(kBlock);
  config.Reset(std::make_unique<MemoryByteSource>(std::move(bytes)));
  FastEchoHeader header;
  if (!ParseFastEchoHeader(config.View(0, fastecho::kHeaderSize), header)) return 0;
  FastEchoBusyFlag(header.semaphorePath);
  CollectingSink sink;
  OfferFastEchoAreas(config, header, sink);
  return 0;
}
