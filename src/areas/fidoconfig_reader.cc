#include "areas/fidoconfig_reader.h"

#include <string>

#include "areas/area_sink.h"
#include "areas/squish_config_reader.h"
#include "common/console.h"
#include "common/cp866.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "common/text.h"

namespace tarnik {

FidoconfigReader::FidoconfigReader()
    : TextAreaReader(Messages{"Loading echo definitions from fidoconfig... ",
                              "fault. Error opening config.\r\n", "done.\r\n"}) {}

void FidoconfigReader::ReadLine(std::string_view line, AreaSink& sink) {
  if (!IsAreaKeyword(WordOf(line, 1, kBlanks))) return;
  char kind = 'F';
  int count = WordCount(line, kBlanks);
  for (int i = 4; i <= count; ++i) {
    if (LowerCase(WordOf(line, i, kBlanks)) != "-b") continue;
    std::string value = LowerCase(WordOf(line, i + 1, kBlanks));
    kind = value == "squish" ? 'S' : value == "jam" ? 'J' : 'F';
  }
  sink.Offer(UpperCase(WordOf(line, 2, kBlanks)), kind + ToLocalPath(WordOf(line, 3, kBlanks)),
             'A');
}

void ReadFidoconfig(const Environment& environment, AreaSink& sink, Console& console,
                    Diagnostics& diagnostics) {
  std::string path = environment.Get("FIDOCONFIG");
  if (path.empty()) {
    console.Write("Fidoconfig environment is not defined!");
    diagnostics.Error("FIDOCONFIG",
                      "not set; \"AreaFile fidoconfig\" needs it to find the "
                      "fidoconfig file; no echo imported");
    return;
  }
  FidoconfigReader reader;
  reader.Read(path, sink, console, diagnostics);
}

}  // namespace tarnik
