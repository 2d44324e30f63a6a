#include "areas/jt_config_reader.h"

#include "areas/area_sink.h"
#include "common/cp866.h"
#include "common/text.h"

namespace tarnik {

JtConfigReader::JtConfigReader()
    : TextAreaReader(Messages{"Loading echo definitions from JT config... ",
                              "fault. Error opening config.\r\n", "done.\r\n"}) {}

void JtConfigReader::ReadLine(std::string_view line, AreaSink& sink) {
  std::string keyword = LowerCase(WordOf(line, 1, kBlanks));
  if (keyword == "area") {
    tag_ = UpperCase(WordOf(line, 2, "\""));
    haveArea_ = true;
    return;
  }
  if (keyword != "base" || !haveArea_) return;
  std::string base = LowerCase(WordOf(line, 3, kBlanks));
  char kind = 'F';
  if (base == "passthrough") return;
  if (base == "squish") kind = 'S';
  if (base == "jam") kind = 'J';
  sink.Offer(tag_, kind + ToLocalPath(WordOf(line, 4, " \t\"")), 'A');
}

}  // namespace tarnik
