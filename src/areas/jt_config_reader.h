#pragma once

#include <string>
#include <string_view>

#include "areas/text_area_reader.h"

namespace tarnik {

// JT configurations: an "Area" line names the current tag (between the first two double
// quotes, upper-cased); each following "Base" line offers it with its base kind (word 3:
// squish, jam, msg; passthrough is skipped) and path (word 4, quotes dropped), group "A".
// A "Base" line before any "Area" line offers nothing.
class JtConfigReader final : public TextAreaReader {
 public:
  JtConfigReader();

  void ReadLine(std::string_view line, AreaSink& sink) override;

 private:
  bool haveArea_ = false;
  std::string tag_;
};

}  // namespace tarnik
