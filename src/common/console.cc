#include "common/console.h"

#include <unistd.h>

#include <cerrno>

namespace tarnik {

namespace {

void WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

void StdoutConsole::Write(std::string_view bytes) { WriteAll(STDOUT_FILENO, bytes); }

void StderrConsole::Write(std::string_view bytes) { WriteAll(STDERR_FILENO, bytes); }

bool StderrConsole::IsTerminal() const { return ::isatty(STDERR_FILENO) == 1; }

bool StdoutConsole::IsTerminal() const { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace tarnik
