#pragma once

#include <string>

namespace tarnik {

// An advisory lock held on a file made for it ("Tarnik.Dat.lock" beside the data file) from
// Take until destruction, so two runs never work at once. The lock file stays when released:
// removing it would let a third run lock a new file while a second still holds the old one.
// A run killed meanwhile releases its lock with its process.
class FileLock {
 public:
  enum class Result {
    kTaken,
    kBusy,    // another process held it for the whole wait
    kFailed,  // the lock file could not be made or locked (reason says why)
  };

  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes the lock on path, making the file when missing; while another process holds it,
  // tries again every tenth of a second for up to waitMilliseconds.
  Result Take(const std::string& path, int waitMilliseconds, std::string& reason);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace tarnik
