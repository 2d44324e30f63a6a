#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/services.h"

namespace tarnik {

class EchoGroup;
class LanguageTable;

// Imports the echo areas of the tosser configuration once: picks the reader by the kind
// (areasbbs, squish, partoss, fastecho, jt, fidoconfig; any letter case) and offers every
// area to every group in order. An unknown kind writes language text kUnknownAreaFileTypeText, the
// kind as written and CR LF; an empty kind does nothing. Console texts go to services.console;
// fidoconfig finds its file through services.environment.
void ImportAreas(std::string_view areaFileType, const std::string& areaFilePath,
                 std::vector<std::unique_ptr<EchoGroup>>& groups, const LanguageTable& language,
                 Services services);

}  // namespace tarnik
