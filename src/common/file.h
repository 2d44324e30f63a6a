#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnik {

enum class FileMode {
  kCreate,  // truncate or make the file, read and write
  // As kCreate, under exactly the name given: no case-insensitive lookup (which lists the
  // directory), for a caller that already knows no other spelling of the name exists.
  kCreateExact,
  kReadWrite,  // existing file
  kReadOnly,   // existing file
  kWriteOnly,  // existing file
};

// A file opened by name. Existing files are looked up like DOS does: the exact name first,
// else a case-insensitive match of the last path component. POSIX has no sharing modes, so
// readers open read-only and nothing is locked. Never throws; failures return false.
class File {
 public:
  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;

  bool Open(const std::string& name, FileMode mode);
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

  // Reads up to count bytes at the position; returns the number read (0 at end or error).
  std::size_t ReadSome(void* buffer, std::size_t count);
  // Reads exactly count bytes; false (and the position undefined) when fewer were there.
  bool Read(void* buffer, std::size_t count);
  // Reads up to count bytes at an absolute offset without moving the position.
  std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count);
  bool Write(const void* buffer, std::size_t count);
  bool Seek(std::int64_t position);
  std::int64_t Position() const { return position_; }
  std::int64_t Size() const;
  // Cuts the file at the current position.
  bool Truncate();
  bool Flush();
  // Forces the written bytes to the disk (used before an atomic rename).
  bool Sync();
  // The name the file was opened under (after the case-insensitive lookup).
  const std::string& Name() const { return name_; }
  // The system's reason for the last failed Open or Write ("No such file or directory");
  // empty when none failed.
  std::string ErrorText() const;

 private:
  int fd_ = -1;
  int error_ = 0;
  std::int64_t position_ = 0;
  std::string name_;
};

// The system's text for an errno value.
std::string SystemErrorText(int code);

}  // namespace tarnik
