#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "areas/text_area_reader.h"
#include "common/services.h"

namespace tarnik {

// crashmail.prefs: "AREA TAG AKA [JAM|MSG PATH]" and "LOCALAREA ..." lines, each followed by
// its own keywords, of which "GROUP X" (the area's group, a letter A-Z in either case; the
// first letter of a longer word, as crashmail takes it) and "UNCONFIRMED" (crashmail
// ignores the area) count. Keywords and base types in any letter case; a word in double
// quotes may hold blanks, "\" takes the next character as it is. Tags as written, group "A"
// unless GROUP says otherwise. Never offered: "NETMAIL" areas, pass-through areas (no base
// type), the templates DEFAULT and DEFAULT_*, unconfirmed areas, and areas with an unknown
// base type (reported to diagnostics).
class CrashmailReader final : public TextAreaReader {
 public:
  explicit CrashmailReader(Diagnostics& diagnostics);

  void ReadLine(std::string_view line, AreaSink& sink) override;
  void Finish(AreaSink& sink) override;

 private:
  struct Area {
    std::string tag;
    std::string areaSpec;  // empty: nothing to offer
    char group = 'A';
  };
  void Offer(AreaSink& sink);

  Diagnostics& diagnostics_;
  Area area_;  // offered when the next area line or the end of the file shows it complete
};

// The words of a crashmail.prefs line as crashmail splits it.
std::vector<std::string> PrefsWords(std::string_view line);

// Reads the crashmail configuration: fileName when given, else $CMCONFIGFILE, else
// crashmail.prefs in the current directory; found through files.
void ReadCrashmail(const std::string& fileName, AreaSink& sink, Services services,
                   const FileOpener& files = DiskFiles());

}  // namespace tarnik
