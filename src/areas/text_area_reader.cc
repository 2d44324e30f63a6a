#include "areas/text_area_reader.h"

#include "common/console.h"
#include "common/diagnostics.h"
#include "common/line_reader.h"
#include "common/text.h"

namespace tarnik {

void TextAreaReader::Read(const std::string& path, AreaSink& sink, Console& console,
                          Diagnostics& diagnostics) {
  console.Write(messages_.start);
  LineReader reader;
  if (!reader.Open(ToLocalPath(path))) {
    console.Write(messages_.failure);
    diagnostics.Error(ToLocalPath(path), "cannot open the tosser configuration: " +
                                             reader.ErrorText() + "; no echo imported");
    return;
  }
  std::string line;
  while (reader.Next(line)) {
    if (line.empty() || line[0] == '%' || line[0] == '/' || line[0] == ';') continue;
    ReadLine(line, sink);
  }
  reader.Close();
  console.Write(messages_.end);
}

}  // namespace tarnik
