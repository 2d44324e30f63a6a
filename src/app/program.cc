#include "app/program.h"

#include "app/stat_app.h"
#include "common/console.h"
#include "common/heap_counter.h"
#include "common/text.h"
#include "core/program_info.h"

namespace tarnik {

std::string LeakLine(std::int64_t leakedBytes) {
  if (leakedBytes == 0) return {};
  return "[Leak: " + Decimal(leakedBytes) + " bytes]\r\n";
}

int RunProgram(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  const Services services = DefaultServices();
  LocaleConsole console(services.console, ConsoleCharsetFromLocale());
  return RunProgram(args,
                    Services{console, services.clock, services.environment, services.diagnostics});
}

int RunProgram(const std::vector<std::string>& args, Services services) {
  std::int64_t heapAtStart = HeapInUse();
  services.console.Write(std::string(kProgramName) + " v" + std::string(kProgramVersion) + ".\r\n");
  {
    StatApp app(args, services);
    if (app.HasConfig()) app.Run();
  }
  services.console.Write(LeakLine(HeapInUse() - heapAtStart));
  return 0;
}

}  // namespace tarnik
