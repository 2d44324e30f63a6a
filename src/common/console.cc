#include "common/console.h"

#include <unistd.h>

#include <cerrno>

namespace tarnik {

void StdoutConsole::Write(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

bool StdoutConsole::IsTerminal() const { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace tarnik
