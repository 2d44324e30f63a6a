#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/file.h"

namespace tarnik {

class Console;

// Bytes of report text kept before they are passed on; not observable.
inline constexpr std::size_t kReportBufferSize = 16384;

// Where a report goes: a created (truncated) file, or the console. Text is collected up to
// the buffer size and then passed on, so a long report never sits in memory.
class ReportOutput {
 public:
  explicit ReportOutput(std::size_t bufferSize = kReportBufferSize);
  ~ReportOutput();
  ReportOutput(const ReportOutput&) = delete;
  ReportOutput& operator=(const ReportOutput&) = delete;

  // Creates or truncates the file; false when it cannot be created.
  bool OpenFile(const std::string& name);
  // The console must outlive the output.
  void OpenConsole(Console& console);
  bool IsOpen() const { return console_ != nullptr || file_.IsOpen(); }

  void Write(std::string_view text);
  // The text followed by the line end, CR LF unless set otherwise.
  void WriteLine(std::string_view text = {});
  void SetLineEnd(std::string_view lineEnd) { lineEnd_ = lineEnd; }
  // Passes on what is buffered and closes a file; later writes are dropped.
  void Close();
  // The system's reason when writing the file failed (a full disk); empty while all went out.
  const std::string& WriteError() const { return writeError_; }
  // The system's reason when OpenFile failed.
  std::string OpenError() const { return file_.ErrorText(); }

 private:
  void Flush();

  File file_;
  std::string writeError_;
  Console* console_ = nullptr;
  std::string buffer_;
  std::size_t bufferSize_;
  std::string lineEnd_ = "\r\n";
};

}  // namespace tarnik
