#include "common/diagnostics.h"

#include "common/text.h"

namespace tarnik {

void Diagnostics::Error(std::string_view where, std::string_view what) {
  ++errorCount_;
  WriteLine(where, "", what);
}

void Diagnostics::Warning(std::string_view where, std::string_view what) {
  WriteLine(where, "warning: ", what);
}

void Diagnostics::WriteLine(std::string_view where, std::string_view kind, std::string_view what) {
  std::string line = "tarnik: ";
  if (!where.empty()) {
    line += where;
    line += ": ";
  }
  line += kind;
  line += what;
  line += '\n';
  out_.Write(line);
}

std::string FileLine(std::string_view file, int line) {
  std::string text(file);
  text += ':';
  text += Decimal(line);
  return text;
}

}  // namespace tarnik
