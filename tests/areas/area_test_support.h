#pragma once

#include <string>
#include <string_view>

#include "app/language_file.h"
#include "areas/area_sink.h"

namespace tarnik::testing {

// Collects offered areas, one line each: "TAG SPEC LETTER".
class RecordingSink final : public AreaSink {
 public:
  void Offer(std::string_view tag, std::string_view areaSpec, char groupLetter) override {
    text += std::string(tag) + " " + std::string(areaSpec) + " " + groupLetter + "\n";
  }
  std::string text;
};

// The language texts the area import writes.
inline LanguageTable AreaLanguage() {
  LanguageTable table;
  table.Load(EncodeLanguageFile({{30046, "done."},
                                 {30047, "Unknown area file type: "},
                                 {30059, "fault. Unable to open areas.bbs."},
                                 {30060, "Loading echo definitions from areas.bbs... "},
                                 {30061, "Loading echo definitions from FastEcho config... "}}));
  return table;
}

}  // namespace tarnik::testing
