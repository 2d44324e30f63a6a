#include "areas/area_import.h"

#include "areas/area_sink.h"
#include "areas/areas_bbs_reader.h"
#include "areas/fastecho_reader.h"
#include "areas/fidoconfig_reader.h"
#include "areas/jt_config_reader.h"
#include "areas/squish_config_reader.h"
#include "common/cp866.h"
#include "core/language_table.h"
#include "core/text_ids.h"

namespace tarnik {

void ImportAreas(std::string_view areaFileType, const std::string& areaFilePath,
                 std::vector<std::unique_ptr<EchoGroup>>& groups, const LanguageTable& language,
                 Services services) {
  if (areaFileType.empty()) return;
  GroupAreaSink sink(groups);
  std::string kind = LowerCase(areaFileType);
  Diagnostics& diagnostics = services.diagnostics;
  if (kind == "areasbbs") {
    AreasBbsReader(language).Read(areaFilePath, sink, services.console, diagnostics);
  } else if (kind == "squish" || kind == "partoss") {
    SquishConfigReader().Read(areaFilePath, sink, services.console, diagnostics);
  } else if (kind == "fastecho") {
    FastEchoReader(language).Read(areaFilePath, sink, services.console, diagnostics);
  } else if (kind == "jt") {
    JtConfigReader().Read(areaFilePath, sink, services.console, diagnostics);
  } else if (kind == "fidoconfig") {
    ReadFidoconfig(services.environment, sink, services.console, diagnostics);
  } else {
    services.console.Write(language.LanguageText(kUnknownAreaFileTypeText) +
                           std::string(areaFileType) + "\r\n");
    diagnostics.Error("AreaFile", "unknown tosser kind \"" + std::string(areaFileType) +
                                      "\" (areasbbs, squish, partoss, fastecho, jt, "
                                      "fidoconfig); no echo imported");
  }
}

}  // namespace tarnik
