#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/services.h"

namespace tarnik {

// The program body: banner, StatApp, run, leak line. Returns the exit code (always 0).
int RunProgram(int argc, char** argv);
int RunProgram(const std::vector<std::string>& args, Services services);

// The line written when the heap in use at the end differs from the start ("" when equal).
std::string LeakLine(std::int64_t leakedBytes);

}  // namespace tarnik
