#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_opener.h"

namespace tarnik {

class Diagnostics;
class Environment;

// The lines of a fidoconfig file as a Husky program sees them:
// - "include FILE" reads FILE at that point (a relative name from the current directory, as
//   the tosser does); a file already being read (an include loop) or a missing one is
//   reported and skipped;
// - a comment starts with the comment character ("#", or the one of the last "commentChar")
//   at the start of a line, or between two blanks, and runs to the end of the line;
// - a line ending in a blank and "\" goes on in the next line;
// - "set NAME=VALUE" ("set NAME": empty) defines a variable; "[NAME]" is replaced by it, else
//   by the environment variable, else by nothing; [OS] is UNIX and [module] is tarnik;
// - "if A==B", "!=", "=~ MASK", "!~ MASK" (optionally "if not ..."), "ifdef NAME", "ifndef
//   NAME", "elseif"/"elif", "else", "endif" drop the lines of false branches;
// - `command` is never run: its text stays as written and the line is reported.
// Leading blanks are ignored; the frame's comment lines (first byte "%", "/" or ";") are
// skipped. Problems go to diagnostics as errors with "file:line".
class FidoconfigLines {
 public:
  // The files, included ones too, are found through files (the disk unless given).
  FidoconfigLines(const Environment& environment, Diagnostics& diagnostics,
                  const FileOpener& files = DiskFiles());
  ~FidoconfigLines();

  // Opens the main file; false when it cannot be opened (not reported here, see openError).
  bool Open(const std::string& path);
  // The system's reason when Open failed.
  const std::string& openError() const { return openError_; }
  // The next line for the area reader: comment cut, variables replaced, leading blanks
  // removed. False after the last line, when each conditional left open is reported.
  bool Next(std::string& line);
  // "file:line" of the line Next returned last.
  const std::string& place() const { return place_; }

 private:
  struct Source;
  struct Conditional {
    bool state = false;    // the current branch is taken
    bool wasTrue = false;  // some branch so far was taken
    bool inElse = false;
    std::string place;  // of the opening line
  };

  bool NextJoined(std::string& line);
  std::string_view CutComment(std::string_view text) const;
  std::string Expand(std::string_view text);
  std::string Value(std::string_view name) const;
  bool Defined(std::string_view name) const;
  bool Evaluate(std::string_view condition, bool& result) const;
  // Handles the conditional keywords; false when keyword is none of them.
  bool Conditionals(std::string_view keyword, std::string_view rest);
  bool Active(std::size_t levels) const;
  void Set(std::string_view text);
  void Include(std::string_view text);
  void SetCommentChar(std::string_view text);

  const Environment& environment_;
  Diagnostics& diagnostics_;
  const FileOpener& files_;
  std::vector<std::unique_ptr<Source>> sources_;
  std::vector<Conditional> conditionals_;
  std::map<std::string, std::string> variables_;  // by upper-cased name
  char commentChar_ = '#';
  std::string place_;
  std::string openError_;
};

}  // namespace tarnik
