#pragma once

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>

#include "areas/area_sink.h"
#include "core/language_table.h"

namespace tarnik::testing {

// Collects offered areas, one line each: "TAG SPEC LETTER".
class RecordingSink final : public AreaSink {
 public:
  void Offer(std::string_view tag, std::string_view areaSpec, char groupLetter) override {
    text += std::string(tag) + " " + std::string(areaSpec) + " " + groupLetter + "\n";
  }
  std::string text;
};

// One line of a tosser configuration and the areas it offers, as RecordingSink writes them.
struct LineCase {
  std::string line;
  std::string expected;
};

// Hands each line to a fresh reader from makeReader and compares what it offers.
template <typename MakeReader>
void ExpectLineOffers(std::span<const LineCase> cases, MakeReader makeReader) {
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    auto reader = makeReader();
    RecordingSink sink;
    reader.ReadLine(c.line, sink);
    EXPECT_EQ(sink.text, c.expected);
  }
}

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
