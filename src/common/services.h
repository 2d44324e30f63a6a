#pragma once

#include "common/clock.h"
#include "common/console.h"
#include "common/diagnostics.h"
#include "common/environment.h"

namespace tarnik {

// Diagnostics on the real standard error.
Diagnostics& DefaultDiagnostics();

// The run's outside world, handed by reference to run-level objects so tests can fake it.
struct Services {
  Console& console;
  const Clock& clock;
  const Environment& environment;
  // Standard error; tests that check diagnostics pass their own.
  Diagnostics& diagnostics = DefaultDiagnostics();
  // Where a report without an output file goes: the console, unless a quiet run silences the
  // console and leaves standard output to the reports.
  Console& reportConsole = console;
};

// The real console, clock and environment (objects with static storage that allocate nothing).
Services DefaultServices();

}  // namespace tarnik
