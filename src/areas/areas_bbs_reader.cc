#include "areas/areas_bbs_reader.h"

#include <string>

#include "areas/area_sink.h"
#include "common/text.h"
#include "core/language_table.h"
#include "core/text_ids.h"

namespace tarnik {

AreasBbsReader::AreasBbsReader(const LanguageTable& language)
    : TextAreaReader(Messages{language.LanguageText(kLoadingAreasBbsText),
                              language.LanguageText(kAreasBbsFailedText) + "\r\n",
                              language.LanguageText(kDoneText) + "\r\n"}) {}

void AreasBbsReader::ReadLine(std::string_view line, AreaSink& sink) {
  std::string_view location = WordOf(line, 1, " ");
  std::string_view tag = WordOf(line, 2, " ");
  char kind = 'F';
  switch (line[0]) {
    case 'P':
      return;
    case '$':
      kind = 'S';
      break;
    case '!':
      kind = 'J';
      break;
    default:
      break;
  }
  // The "$" and "!" marks are glued to the path; a *.MSG line writes the bare path.
  if (kind != 'F') location.remove_prefix(1);
  sink.Offer(tag, kind + ToLocalPath(location), 'A');
}

}  // namespace tarnik
