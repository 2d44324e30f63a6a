#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "common/file_opener.h"
#include "common/services.h"

namespace tarnik {

class AreaSink;
class Console;

// The frame the text tosser readers share: start message, open the file (failure message
// and nothing else when it cannot be opened), every line of at most 255 bytes that is not
// empty and does not start with "%", "/" or ";" to ReadLine, Finish, end message.
class TextAreaReader {
 public:
  struct Messages {
    std::string start;    // written before opening, without a line end
    std::string failure;  // the file cannot be opened
    std::string end;      // after the last line
  };

  explicit TextAreaReader(Messages messages) : messages_(std::move(messages)) {}
  virtual ~TextAreaReader() = default;

  // Runs the frame over the file at path ("\" read as "/"), found through files. A file that
  // cannot be opened also gets a diagnostic with the system's reason.
  void Read(const std::string& path, AreaSink& sink, Console& console,
            Diagnostics& diagnostics = DefaultDiagnostics(), const FileOpener& files = DiskFiles());

  // One kept line; offers the areas it describes to sink.
  virtual void ReadLine(std::string_view line, AreaSink& sink) = 0;
  // After the last line: offers what a reader still holds back.
  virtual void Finish(AreaSink&) {}

 protected:
  // "file:line" of the line ReadLine is looking at, for diagnostics.
  std::string Place() const;

 private:
  Messages messages_;
  std::string path_;
  int lineNumber_ = 0;
};

}  // namespace tarnik
