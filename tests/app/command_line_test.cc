#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnik {
namespace {

// "h v q | operand operand" or "error: <text>".
std::string Parsed(const std::vector<std::string>& args) {
  CommandLine line;
  std::string error;
  if (!ParseCommandLine(args, line, error)) return "error: " + error;
  std::string text = std::string(line.help ? "h" : "-") + (line.version ? "v" : "-") +
                     (line.quiet ? "q" : "-") + " |";
  for (const std::string& operand : line.operands) text += " " + operand;
  return text;
}

TEST(ParseCommandLine, OptionsOperandsAndErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string expected;
  } cases[] = {
      {{}, "--- |"},
      {{"my.cfg"}, "--- | my.cfg"},
      {{"my.cfg", "ignored.cfg"}, "--- | my.cfg ignored.cfg"},
      {{"-h"}, "h-- |"},
      {{"--help"}, "h-- |"},
      {{"-V"}, "-v- |"},
      {{"--version"}, "-v- |"},
      {{"-q", "my.cfg"}, "--q | my.cfg"},
      {{"--quiet", "my.cfg"}, "--q | my.cfg"},
      {{"--qui", "my.cfg"}, "--q | my.cfg"},  // a unique prefix of a long option
      {{"my.cfg", "-q"}, "--q | my.cfg"},     // options may follow the operand
      {{"-qV"}, "-vq |"},
      {{"--", "-odd.cfg"}, "--- | -odd.cfg"},
      {{"-q", "--", "-odd.cfg", "-h"}, "--q | -odd.cfg -h"},
      {{"-"}, "--- | -"},
      {{""}, "--- | "},
      {{"-x"}, "error: unknown option '-x'"},
      {{"-qx"}, "error: unknown option '-x'"},
      {{"--bogus"}, "error: unknown option '--bogus'"},
      {{"my.cfg", "--bogus"}, "error: unknown option '--bogus'"},
      {{"--quiet=yes"}, "error: option '--quiet=yes' takes no value"},
      {{"--help=1"}, "error: option '--help=1' takes no value"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& arg : c.args) shown += "[" + arg + "]";
    SCOPED_TRACE(shown);
    EXPECT_EQ(Parsed(c.args), c.expected);
    // A second parse in the same process starts afresh.
    EXPECT_EQ(Parsed(c.args), c.expected);
  }
}

TEST(HelpText, StartsWithTheUsageLineAndNamesEveryOption) {
  const std::string help = HelpText();
  EXPECT_EQ(help.rfind(std::string(kUsageLine) + "\n", 0), 0u);
  for (const char* option : {"-h, --help", "-V, --version", "-q, --quiet", "--  "}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(help.find('\r'), std::string::npos);
  EXPECT_EQ(help.back(), '\n');
}

}  // namespace
}  // namespace tarnik
