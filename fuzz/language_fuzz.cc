// The input as a compiled language file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/language_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  LanguageTable table;
  table.Load(std::string_view(reinterpret_cast<const char*>(data), size));
  for (std::int32_t id = 29999; id <= 30063; ++id) {
    if (table.LanguageText(id).size() > 255) std::abort();
  }
  table.LanguageText(0);
  table.LanguageText(-1);
  return 0;
}
