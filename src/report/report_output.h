#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/replacement_file.h"

namespace tarnik {

class Console;

// Bytes of report text kept before they are passed on; not observable.
inline constexpr std::size_t kReportBufferSize = 16384;

// Where a report goes: a file, or the console. Text is collected up to the buffer size and
// then passed on, so a long report never sits in memory. A file is written beside the report
// and put in its place only when whole, so a failure (a full disk) leaves the old report.
class ReportOutput {
 public:
  explicit ReportOutput(std::size_t bufferSize = kReportBufferSize);
  ~ReportOutput();
  ReportOutput(const ReportOutput&) = delete;
  ReportOutput& operator=(const ReportOutput&) = delete;

  // Starts the file's replacement; false when it cannot be made.
  bool OpenFile(const std::string& name);
  // The console must outlive the output.
  void OpenConsole(Console& console);
  bool IsOpen() const { return console_ != nullptr || file_.IsOpen(); }

  void Write(std::string_view text);
  // The text followed by the line end, CR LF unless set otherwise.
  void WriteLine(std::string_view text = {});
  // lineEnd must outlive the output: a literal.
  void SetLineEnd(std::string_view lineEnd) { lineEnd_ = lineEnd; }
  // Passes on what is buffered and closes; a file replaces the report now. True when the
  // whole report reached its place (or nothing was open); later writes are dropped.
  bool Close();
  // The system's reason when the report could not be written whole (a full disk); empty
  // while all went out.
  const std::string& WriteError() const { return writeError_; }
  // The system's reason when OpenFile failed.
  const std::string& OpenError() const { return file_.ErrorText(); }
  // An old report file is replaced, so it is kept when writing fails.
  bool ReplacesFile() const { return file_.ReplacesExisting(); }
  // Everything passed on from now is also appended to copy, which must outlive the output.
  void CaptureTo(std::string& copy) { copy_ = &copy; }
  // False once writing the report has failed.
  bool ok() const { return writeError_.empty(); }

 private:
  void Flush();

  ReplacementFile file_;
  std::string writeError_;
  Console* console_ = nullptr;
  std::string* copy_ = nullptr;
  std::string buffer_;
  std::size_t bufferSize_;
  std::string_view lineEnd_ = "\r\n";
};

}  // namespace tarnik
