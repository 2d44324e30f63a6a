#include "app/command_line.h"

#include <getopt.h>

namespace tarnik {

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
  static constexpr option kLongOptions[] = {{"help", no_argument, nullptr, 'h'},
                                            {"version", no_argument, nullptr, 'V'},
                                            {"quiet", no_argument, nullptr, 'q'},
                                            {nullptr, 0, nullptr, 0}};
  // getopt_long may reorder the pointers; the strings themselves stay the caller's.
  std::vector<std::string> copies;
  copies.reserve(args.size() + 1);
  copies.emplace_back("tarnik");
  copies.insert(copies.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(copies.size() + 1);
  for (std::string& copy : copies) argv.push_back(copy.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(copies.size());

  // 0 makes glibc start afresh, so the line can be parsed more than once in a process.
  optind = 0;
  opterr = 0;
  int c;
  while ((c = getopt_long(argc, argv.data(), "hVq", kLongOptions, nullptr)) != -1) {
    switch (c) {
      case 'h':
        line.help = true;
        break;
      case 'V':
        line.version = true;
        break;
      case 'q':
        line.quiet = true;
        break;
      default: {
        // A known letter here can only be a long option given a value ("--quiet=1"); for an
        // unknown long option optopt is 0 and the argument was the one just passed.
        const std::string_view known = "hVq";
        if (optopt != 0 && known.find(static_cast<char>(optopt)) == std::string_view::npos) {
          error = "unknown option '-" + std::string(1, static_cast<char>(optopt)) + "'";
        } else if (optopt != 0) {
          error = "option '" + std::string(argv[static_cast<std::size_t>(optind - 1)]) +
                  "' takes no value";
        } else {
          error =
              "unknown option '" + std::string(argv[static_cast<std::size_t>(optind - 1)]) + "'";
        }
        return false;
      }
    }
  }
  for (int i = optind; i < argc; ++i) line.operands.emplace_back(argv[static_cast<std::size_t>(i)]);
  return true;
}

std::string HelpText() {
  return std::string(kUsageLine) +
         "\n"
         "Writes echomail statistics reports for the echo groups of the configuration file\n"
         "(Tarnik.Cfg in the current directory when none is given).\n"
         "\n"
         "  -h, --help      show this help and exit\n"
         "  -V, --version   show the program name and version and exit\n"
         "  -q, --quiet     write no progress text on standard output; diagnostics still go\n"
         "                  to standard error, and a report without \"out\" then has standard\n"
         "                  output to itself\n"
         "  --              end of options (for a ConfigFile whose name starts with \"-\")\n"
         "\n"
         "Exit status: 0 every report written and every base scanned; 1 nothing could run\n"
         "(language file, configuration, command line); 2 the run went on past a problem\n"
         "(a base, template, report file, data file or configuration line).\n";
}

}  // namespace tarnik
