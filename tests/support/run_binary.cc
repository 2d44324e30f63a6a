#include "support/run_binary.h"

#include <sys/wait.h>

#include <cstdio>

namespace tarnik::testing {

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

RunResult RunCommand(const std::string& commandLine) {
  RunResult result;
  std::string command = commandLine + " </dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

RunResult RunTarnik(const std::string& arguments, const std::string& environment) {
  // The console follows the locale; runs are in the C locale unless environment says more.
  std::string command = "LC_ALL=C ";
  if (!environment.empty()) command += environment + " ";
  command += ShellQuote(TARNIK_BINARY);
  if (!arguments.empty()) command += " " + arguments;
  return RunCommand(command);
}

}  // namespace tarnik::testing
