// The input as a fidoconfig and as a crashmail.prefs: a 4-byte little-endian length, that many
// bytes of the main file, the rest a second file. The main file may include the second one (or
// itself) as [DIR]areas (or [DIR]config). The files are held in memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "areas/area_sink.h"
#include "areas/crashmail_reader.h"
#include "areas/fidoconfig_reader.h"
#include "common/clock.h"
#include "common/console.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "common/file_opener.h"
#include "fuzz_support.h"

namespace {

// Looks at every offered area, so nothing of it is left unread.
class CountingSink final : public tarnik::AreaSink {
 public:
  void Offer(std::string_view tag, std::string_view areaSpec, char groupLetter) override {
    bytes += tag.size() + areaSpec.size() + (groupLetter == ' ' ? 1 : 0);
  }
  std::size_t bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::uint32_t mainSize = fuzz::TakeU32(input);
  std::string_view main = fuzz::TakeBytes(input, mainSize);

  const std::string dir = "fuzz/";
  MemoryFileOpener files;
  files.Add(dir + "config", std::string(main));
  files.Add(dir + "areas", std::string(input));

  MapEnvironment environment({{"DIR", dir}});
  StringConsole console;
  StringConsole errors;
  Diagnostics diagnostics(errors);
  FixedClock clock(LocalTime{2024, 3, 1, 12, 0, 0, 0});
  Services services{console, clock, environment, diagnostics};
  CountingSink sink;
  ReadFidoconfig(dir + "config", sink, services, "", files);
  ReadCrashmail(dir + "config", sink, services, files);
  return 0;
}
