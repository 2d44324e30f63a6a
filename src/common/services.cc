#include "common/services.h"

namespace tarnik {
namespace {

StdoutConsole gConsole;
const SystemClock gClock;
const SystemEnvironment gEnvironment;

}  // namespace

Services DefaultServices() { return Services{gConsole, gClock, gEnvironment}; }

}  // namespace tarnik
