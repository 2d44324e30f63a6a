#include "common/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "common/file.h"

namespace tarnik {
namespace {

constexpr int kRetryMilliseconds = 100;

}  // namespace

FileLock::~FileLock() { Release(); }

FileLock::Result FileLock::Take(const std::string& path, int waitMilliseconds,
                                std::string& reason) {
  Release();
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    reason = SystemErrorText(errno);
    return Result::kFailed;
  }
  for (int waited = 0;; waited += kRetryMilliseconds) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return Result::kTaken;
    }
    const int error = errno;
    if (error != EWOULDBLOCK && error != EINTR) {
      ::close(fd);
      reason = SystemErrorText(error);
      return Result::kFailed;
    }
    if (waited >= waitMilliseconds) break;
    std::this_thread::sleep_for(
        std::chrono::milliseconds(std::min(kRetryMilliseconds, waitMilliseconds - waited)));
  }
  ::close(fd);
  return Result::kBusy;
}

void FileLock::Release() {
  if (fd_ < 0) return;
  // Closing the only descriptor of the lock file drops the lock.
  ::close(fd_);
  fd_ = -1;
}

}  // namespace tarnik
