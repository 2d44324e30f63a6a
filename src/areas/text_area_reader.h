#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "common/services.h"

namespace tarnik {

class AreaSink;
class Console;

// The frame the text tosser readers share: start message, open the file (failure message
// and nothing else when it cannot be opened), every line of at most 255 bytes that is not
// empty and does not start with "%", "/" or ";" to ReadLine, end message.
class TextAreaReader {
 public:
  struct Messages {
    std::string start;    // written before opening, without a line end
    std::string failure;  // the file cannot be opened
    std::string end;      // after the last line
  };

  explicit TextAreaReader(Messages messages) : messages_(std::move(messages)) {}
  virtual ~TextAreaReader() = default;

  // Runs the frame over the file at path ("\" read as "/"). A file that cannot be opened also
  // gets a diagnostic with the system's reason.
  void Read(const std::string& path, AreaSink& sink, Console& console,
            Diagnostics& diagnostics = DefaultDiagnostics());

  // One kept line; offers the areas it describes to sink.
  virtual void ReadLine(std::string_view line, AreaSink& sink) = 0;

 private:
  Messages messages_;
};

}  // namespace tarnik
