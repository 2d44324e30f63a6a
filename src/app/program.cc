#include "app/program.h"

#include "app/command_line.h"
#include "app/stat_app.h"
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
  return RunProgram(args, DefaultServices());
}

int RunProgram(const std::vector<std::string>& args, Services services) {
  CommandLine line;
  std::string error;
  if (!ParseCommandLine(args, line, error)) {
    services.diagnostics.Error("", error + " (" + std::string(kUsageLine) + ")");
    return kExitNotRun;
  }
  if (line.help) {
    services.console.Write(HelpText());
    return kExitSuccess;
  }
  if (line.version) {
    services.console.Write(std::string(kProgramName) + " v" + std::string(kProgramVersion) + "\n");
    return kExitSuccess;
  }
  // A quiet run keeps standard output for the reports that have no file of their own.
  NullConsole silent;
  Services run = line.quiet ? Services{silent, services.clock, services.environment,
                                       services.diagnostics, services.reportConsole}
                            : services;
  const int errorsBefore = services.diagnostics.errorCount();
  bool ran = false;

  std::int64_t heapAtStart = HeapInUse();
  run.console.Write(std::string(kProgramName) + " v" + std::string(kProgramVersion) + ".\r\n");
  {
    StatApp app(line.operands, run);
    ran = app.HasConfig();
    if (ran) app.Run();
  }
  run.console.Write(LeakLine(HeapInUse() - heapAtStart));

  if (!ran) return kExitNotRun;
  return services.diagnostics.errorCount() > errorsBefore ? kExitProblems : kExitSuccess;
}

}  // namespace tarnik
