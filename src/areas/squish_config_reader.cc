#include "areas/squish_config_reader.h"

#include <string>

#include "areas/area_sink.h"
#include "common/cp866.h"
#include "common/text.h"

namespace tarnik {

SquishConfigReader::SquishConfigReader()
    : TextAreaReader(Messages{"Loading echo definitions from ParToss config... ",
                              "fault. Error opening config.\r\n", "done.\r\n"}) {}

bool IsAreaKeyword(std::string_view word) {
  std::string keyword = LowerCase(word);
  return keyword == "echoarea" || keyword == "badarea" || keyword == "netarea" ||
         keyword == "dupearea" || keyword == "localarea";
}

void SquishConfigReader::ReadLine(std::string_view line, AreaSink& sink) {
  if (!IsAreaKeyword(WordOf(line, 1, kBlanks))) return;
  char kind = 'F';
  char group = 'A';
  bool passThrough = false;
  int count = WordCount(line, kBlanks);
  for (int i = 4; i <= count; ++i) {
    std::string_view option = WordOf(line, i, kBlanks);
    if (option.starts_with("-0")) passThrough = true;
    if (option.starts_with("-$")) kind = 'S';
    if (option.starts_with("-$g") && option.size() > 3) group = option[3];
  }
  if (passThrough) return;
  sink.Offer(UpperCase(WordOf(line, 2, kBlanks)), kind + ToLocalPath(WordOf(line, 3, kBlanks)),
             group);
}

}  // namespace tarnik
