#include "areas/text_area_reader.h"

#include "common/console.h"
#include "common/diagnostics.h"
#include "common/line_reader.h"
#include "common/text.h"

namespace tarnik {

void TextAreaReader::Read(const std::string& path, AreaSink& sink, Console& console,
                          Diagnostics& diagnostics, const FileOpener& files) {
  console.Write(messages_.start);
  LineReader reader;
  path_ = ToLocalPath(path);
  lineNumber_ = 0;
  if (!reader.Open(path_, files)) {
    console.Write(messages_.failure);
    diagnostics.Error(path_, "cannot open the tosser configuration: " + reader.ErrorText() +
                                 "; no echo imported");
    return;
  }
  std::string line;
  while (reader.Next(line)) {
    ++lineNumber_;
    if (line.empty() || line[0] == '%' || line[0] == '/' || line[0] == ';') continue;
    ReadLine(line, sink);
  }
  reader.Close();
  Finish(sink);
  console.Write(messages_.end);
}

std::string TextAreaReader::Place() const { return FileLine(path_, lineNumber_); }

}  // namespace tarnik
