#include "common/services.h"

namespace tarnik {
namespace {

StdoutConsole gConsole;
const SystemClock gClock;
const SystemEnvironment gEnvironment;
StderrConsole gErrorConsole;
Diagnostics gDiagnostics(gErrorConsole);

}  // namespace

Diagnostics& DefaultDiagnostics() { return gDiagnostics; }

Services DefaultServices() { return Services{gConsole, gClock, gEnvironment, gDiagnostics}; }

}  // namespace tarnik
