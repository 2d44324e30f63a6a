// The input as a template file: load its sections, fill the list-line variables once, render
// every section; then every raw input line (not cut to 255) through the macro engine.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/console.h"
#include "config/echo_group.h"
#include "core/stat_tables.h"
#include "report/macro_engine.h"
#include "report/report_output.h"
#include "report/report_template.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnik;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  FixedClock clock(LocalTime{2024, 2, 29, 23, 59, 58, 99});
  EchoGroup group("FIDO.*");
  group.description = "Fuzz";
  group.messageCount = 12345;
  group.personCount = 17;
  group.dayCount = 3;
  group.firstDay = DayStat{1, 2, 2024, 5};
  group.lastDay = DayStat{3, 2, 2024, 7};

  ReportTemplate report(group, clock);
  report.LoadTemplateText(input);

  PersonStat person;
  person.name = "John Doe";
  person.written = 12;
  person.received = 3;
  person.bytes = 123456;
  person.lines = 40;
  person.quoted = 9;
  person.address = FtnAddress{2, 5020, 9999, 1};
  SubjectStat subject{"Re: fuzz", 4};
  DayStat day{29, 2, 2024, 11};
  report.SetByTotalLine(0, 15, person);
  report.SetPersonLine(1, 12, person);
  report.SetSizeLine(2, 123456, person);
  report.SetSubjectLine(3, 4, subject);
  report.SetDayLine(4, 11, day);
  report.SetWeekdayLine(5, 7, 3);

  StringConsole console;
  ReportOutput output(64);
  output.OpenConsole(console);
  for (const Section& section : report.sections()) {
    report.FindSection(section.name);
    report.RenderSection(&section, output);
    report.ExecuteSection(&section);
  }
  output.Close();

  MacroEngine& engine = report.engine();
  while (!input.empty()) {
    std::size_t end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    if (engine.ProcessLine(line).size() > 255) std::abort();
  }
  return 0;
}
