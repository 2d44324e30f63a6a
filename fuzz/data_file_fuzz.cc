// The input as a data file. What parses must encode back to bytes that parse to the same
// entries, since the run saves what it loaded.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "config/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  std::vector<DataEntry> entries =
      ParseDataFile(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<DataEntry> again = ParseDataFile(EncodeDataFile(entries));
  if (again.size() != entries.size()) std::abort();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (again[i].name != entries[i].name || again[i].lastHigh != entries[i].lastHigh) {
      std::abort();
    }
  }
  if (!entries.empty()) FindOrCreateDataEntry(entries, entries.back().name);
  FindOrCreateDataEntry(entries, "FUZZ.ECHO");
  return 0;
}
