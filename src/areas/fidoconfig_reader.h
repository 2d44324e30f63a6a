#pragma once

#include <string_view>

#include "areas/text_area_reader.h"
#include "common/services.h"

namespace tarnik {

class Console;
class Environment;

// fidoconfig: "EchoArea TAG path ... -b Kind ..." and the bad, net, dupe and local area
// lines. "-b" and its value in any case, the last one counting: squish and jam give Squish
// and JAM bases, anything else (or none) a *.MSG directory. Tags upper-cased, group "A".
class FidoconfigReader final : public TextAreaReader {
 public:
  FidoconfigReader();

  void ReadLine(std::string_view line, AreaSink& sink) override;
};

// Reads the file named by the environment variable FIDOCONFIG; when it is not set, writes
// "Fidoconfig environment is not defined!" and a diagnostic, and reads nothing.
void ReadFidoconfig(const Environment& environment, AreaSink& sink, Console& console,
                    Diagnostics& diagnostics = DefaultDiagnostics());

}  // namespace tarnik
