#include "support/run_binary.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

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
  // Standard error goes to a file of its own, so the two streams are never mixed; the name is
  // random because test processes run side by side.
  std::filesystem::path errorFile =
      std::filesystem::temp_directory_path() /
      ("tarnik-stderr-" + std::to_string(std::random_device{}()) + ".txt");
  std::string command = "{ " + commandLine + " ; } </dev/null 2>" + ShellQuote(errorFile.string());
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream errors(errorFile, std::ios::binary);
  std::ostringstream text;
  text << errors.rdbuf();
  result.errors = text.str();
  std::error_code ignored;
  std::filesystem::remove(errorFile, ignored);
  return result;
}

RunResult RunTarnik(const std::string& arguments, const std::string& environment) {
  std::string command = environment.empty() ? std::string() : environment + " ";
  command += ShellQuote(TARNIK_BINARY);
  if (!arguments.empty()) command += " " + arguments;
  return RunCommand(command);
}

}  // namespace tarnik::testing
