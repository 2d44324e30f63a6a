#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnik {

// What the command line asks for: "tarnik [options] [ConfigFile]".
struct CommandLine {
  bool help = false;     // -h, --help
  bool version = false;  // -V, --version
  bool quiet = false;    // -q, --quiet
  // The arguments that are not options, in order; the first names the configuration file.
  std::vector<std::string> operands;
};

// Parses the arguments after the program name with getopt_long: options may stand anywhere,
// "--" ends them. False for an unknown option or an option given a value, with the
// offending argument in error.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);

// The one-line synopsis: the head of the help text and the hint after an unknown option.
inline constexpr std::string_view kUsageLine = "Usage: tarnik [-h] [-V] [-q] [--] [ConfigFile]";

// The help text of --help, with Unix line ends.
std::string HelpText();

}  // namespace tarnik
