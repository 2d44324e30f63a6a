#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/services.h"

namespace tarnik {

// Exit codes: every report written and every selected base scanned; nothing could run (the
// command line, the language file or the configuration); the run went on past a problem that
// a diagnostic on standard error names.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitNotRun = 1;
inline constexpr int kExitProblems = 2;

// The program body: command line, banner, StatApp, run, leak line. Returns the exit code.
// Console texts go to services.console; with -q they are dropped and only reports without an
// output file reach it.
int RunProgram(int argc, char** argv);
int RunProgram(const std::vector<std::string>& args, Services services);

// The line written when the heap in use at the end differs from the start ("" when equal).
std::string LeakLine(std::int64_t leakedBytes);

}  // namespace tarnik
