#pragma once

#include <string>
#include <string_view>

#include "common/console.h"

namespace tarnik {

// Problems a sysop must hear about, written to standard error one line each in the usual Unix
// shape "tarnik: <where>: <what>", apart from the console texts on standard output.
class Diagnostics {
 public:
  explicit Diagnostics(Console& out) : out_(out) {}
  // A problem the run went on past; counted, so the exit status can tell. An empty where is
  // left out of the line.
  void Error(std::string_view where, std::string_view what);
  // Worth knowing but not a failure of the run; not counted.
  void Warning(std::string_view where, std::string_view what);
  int errorCount() const { return errorCount_; }

 private:
  void WriteLine(std::string_view where, std::string_view kind, std::string_view what);

  Console& out_;
  int errorCount_ = 0;
};

// "<file>:<line>", the place of a diagnostic about one line of a text file.
std::string FileLine(std::string_view file, int line);

}  // namespace tarnik
