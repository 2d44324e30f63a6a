#include "common/console.h"

#include <unistd.h>

#include <cerrno>

#include "common/file.h"

namespace tarnik {

namespace {

// The errno of a failed write, 0 when every byte went out.
int WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

void StdoutConsole::Write(std::string_view bytes) {
  const int error = WriteAll(STDOUT_FILENO, bytes);
  if (error_ == 0) error_ = error;
}

std::string StdoutConsole::TakeWriteError() {
  const int error = error_;
  error_ = 0;
  return error == 0 ? std::string() : SystemErrorText(error);
}

void StderrConsole::Write(std::string_view bytes) { WriteAll(STDERR_FILENO, bytes); }

bool StderrConsole::IsTerminal() const { return ::isatty(STDERR_FILENO) == 1; }

bool StdoutConsole::IsTerminal() const { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace tarnik
