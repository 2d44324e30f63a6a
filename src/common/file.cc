#include "common/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "common/file_system.h"

namespace tarnik {

File::~File() { Close(); }

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      error_(std::exchange(other.error_, 0)),
      position_(std::exchange(other.position_, 0)),
      name_(std::move(other.name_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    error_ = std::exchange(other.error_, 0);
    position_ = std::exchange(other.position_, 0);
    name_ = std::move(other.name_);
  }
  return *this;
}

bool File::Open(const std::string& name, FileMode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case FileMode::kCreate:
    case FileMode::kCreateExact:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
    case FileMode::kReadWrite:
      flags |= O_RDWR;
      break;
    case FileMode::kReadOnly:
      flags |= O_RDONLY;
      break;
    case FileMode::kWriteOnly:
      flags |= O_WRONLY;
      break;
  }
  // Only kCreate may make a file under the name as given when no spelling of it exists.
  std::string actual = mode == FileMode::kCreateExact ? name : ResolveExisting(name);
  if (actual.empty()) {
    if (mode != FileMode::kCreate) {
      error_ = ENOENT;
      return false;
    }
    actual = name;
  }
  int fd;
  do {
    fd = ::open(actual.c_str(), flags, 0644);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    error_ = EISDIR;
    ::close(fd);
    return false;
  }
  error_ = 0;
  fd_ = fd;
  position_ = 0;
  name_ = std::move(actual);
  return true;
}

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  position_ = 0;
}

std::size_t File::ReadSome(void* buffer, std::size_t count) {
  std::size_t done = ReadAt(position_, buffer, count);
  position_ += static_cast<std::int64_t>(done);
  return done;
}

bool File::Read(void* buffer, std::size_t count) { return ReadSome(buffer, count) == count; }

std::size_t File::ReadAt(std::int64_t offset, void* buffer, std::size_t count) {
  if (fd_ < 0 || offset < 0) return 0;
  std::size_t done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = ::pread(fd_, out + done, count - done, offset + static_cast<std::int64_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

bool File::Write(const void* buffer, std::size_t count) {
  if (fd_ < 0) {
    error_ = EBADF;
    return false;
  }
  std::size_t done = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (done < count) {
    ssize_t n = ::pwrite(fd_, in + done, count - done, position_ + static_cast<std::int64_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A write that takes nothing without an error means the device is full.
      error_ = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  position_ += static_cast<std::int64_t>(done);
  return done == count;
}

bool File::Seek(std::int64_t position) {
  if (fd_ < 0 || position < 0) return false;
  position_ = position;
  return true;
}

std::int64_t File::Size() const {
  if (fd_ < 0) return 0;
  struct stat info;
  if (::fstat(fd_, &info) != 0) return 0;
  return static_cast<std::int64_t>(info.st_size);
}

bool File::Truncate() { return fd_ >= 0 && ::ftruncate(fd_, position_) == 0; }

// Writes go straight to the kernel, so there is no user-space buffer to push out.
bool File::Flush() { return fd_ >= 0; }

bool File::Sync() {
  if (fd_ >= 0 && ::fsync(fd_) == 0) return true;
  error_ = fd_ < 0 ? EBADF : errno;
  return false;
}

std::string File::ErrorText() const {
  return error_ == 0 ? std::string() : SystemErrorText(error_);
}

std::string SystemErrorText(int code) { return std::strerror(code); }

}  // namespace tarnik
