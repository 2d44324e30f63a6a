// The input as FastEcho's binary configuration. The semaphore directory of the header is
// pointed at the work directory before the file is written: the reader makes that directory
// and a busy flag in it, and a fuzzer must not scatter those over the machine. The stored
// directory itself still goes through the flag-name rules.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "areas/area_sink.h"
#include "areas/fastecho_format.h"
#include "areas/fastecho_reader.h"
#include "common/console.h"
#include "core/language_table.h"
#include "fuzz_support.h"

namespace {

class CollectingSink final : public tarnik::AreaSink {
 public:
  void Offer(std::string_view tag, std::string_view areaSpec, char groupLetter) override {
    offered.push_back(std::string(tag) + ' ' + std::string(areaSpec) + ' ' + groupLetter);
  }
  std::vector<std::string> offered;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  std::string bytes(reinterpret_cast<const char*>(data), size);

  FastEchoHeader header;
  if (ParseFastEchoHeader(bytes, header)) {
    FastEchoBusyFlag(header.semaphorePath);
    FirstAreaPosition(header);
  }

  std::string dir = fuzz::FreshDir("fastecho");
  std::string semaphore = dir + "sem";
  if (bytes.size() > fastecho::kSemaphorePathOffset + semaphore.size()) {
    bytes.replace(fastecho::kSemaphorePathOffset, semaphore.size() + 1,
                  semaphore + std::string(1, '\0'));
  }
  fuzz::WriteBytes(dir + "fastecho.cfg", bytes);

  LanguageTable language;
  CollectingSink sink;
  StringConsole console;
  FastEchoReader reader(language);
  reader.Read(dir + "fastecho.cfg", sink, console);
  return 0;
}
