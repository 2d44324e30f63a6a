#pragma once

#include <string_view>

#include "areas/text_area_reader.h"

namespace tarnik {

// Squish and ParToss configurations: "EchoArea TAG path options" and the bad, net, dupe and
// local area lines. Options are case-sensitive: "-0" marks pass-through (skipped), "-$..." a
// Squish base, "-$gX" group X. Without "-$" the base is a *.MSG directory; without "-$g" the
// group is "A". Tags are upper-cased.
class SquishConfigReader final : public TextAreaReader {
 public:
  SquishConfigReader();

  void ReadLine(std::string_view line, AreaSink& sink) override;
};

// True when word, lower-cased, names an area line of Squish, ParToss and fidoconfig files.
bool IsAreaKeyword(std::string_view word);

}  // namespace tarnik
