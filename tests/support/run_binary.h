#pragma once

#include <string>

namespace tarnik::testing {

struct RunResult {
  std::string output;  // standard output, byte for byte
  std::string errors;  // standard error, byte for byte
  int exitCode = -1;
};

// Runs a shell command line in the current directory with standard input closed and
// returns what it wrote to standard output and standard error.
RunResult RunCommand(const std::string& commandLine);

// Runs the built tarnik program with the given argument text (already shell-quoted).
RunResult RunTarnik(const std::string& arguments = "", const std::string& environment = "");

// Single-quotes a text for the shell.
std::string ShellQuote(const std::string& text);

}  // namespace tarnik::testing
