// The input as the configuration file, held in memory; then every group is offered a few
// echoes (its tag patterns go through the matcher) and asked about a few days of its period.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "areas/area_sink.h"
#include "common/clock.h"
#include "common/console.h"
#include "common/diagnostics.h"
#include "common/file_opener.h"
#include "config/configuration.h"
#include "config/period.h"
#include "core/calendar.h"
#include "core/language_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  MemoryFileOpener files;
  files.Add("Tarnik.Cfg", std::string(reinterpret_cast<const char*>(data), size));

  LanguageTable language;
  StringConsole console;
  StringConsole errors;
  Diagnostics diagnostics(errors);
  Configuration config("Tarnik.Cfg", language, console, diagnostics, files);
  if (!config.Load()) return 0;

  GroupAreaSink sink(config.groups);
  sink.Offer("FIDO.TEST", "Sbase", 'A');
  sink.Offer("RU.\x8D\xE0.TALK", "Jbase", 'B');
  sink.Offer("", "", 'A');
  FixedClock clock(LocalTime{2024, 3, 1, 12, 0, 0, 0});
  std::int32_t today = TodayDayNumber(clock);
  for (const auto& group : config.groups) {
    for (std::int32_t day = today - 400; day <= today + 2; day += 7) InPeriod(day, *group, today);
  }
  return 0;
}
