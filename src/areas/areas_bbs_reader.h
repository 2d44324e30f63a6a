#pragma once

#include <string_view>

#include "areas/text_area_reader.h"

namespace tarnik {

class LanguageTable;

// areas.bbs: "$path TAG" is a Squish base, "!path TAG" a JAM base, a line starting with "P"
// a pass-through area (skipped), and any other line "path TAG" a *.MSG directory. Words are
// separated by spaces only; the tag is kept as written; every area is in group "A".
class AreasBbsReader final : public TextAreaReader {
 public:
  // Messages are language texts kLoadingAreasBbsText (start), kAreasBbsFailedText (failure)
  // and kDoneText (end).
  explicit AreasBbsReader(const LanguageTable& language);

  void ReadLine(std::string_view line, AreaSink& sink) override;
};

}  // namespace tarnik
