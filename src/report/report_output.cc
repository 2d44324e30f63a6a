#include "report/report_output.h"

#include "common/console.h"

namespace tarnik {

ReportOutput::ReportOutput(std::size_t bufferSize)
    : bufferSize_(bufferSize == 0 ? 1 : bufferSize) {}

ReportOutput::~ReportOutput() { Close(); }

bool ReportOutput::OpenFile(const std::string& name) {
  Close();
  writeError_.clear();
  return file_.Open(name);
}

void ReportOutput::OpenConsole(Console& console) {
  Close();
  writeError_.clear();
  console_ = &console;
  // Only what fails from here on is the report's.
  console_->TakeWriteError();
}

void ReportOutput::Write(std::string_view text) {
  if (!IsOpen()) return;
  buffer_.append(text);
  if (buffer_.size() >= bufferSize_) Flush();
}

void ReportOutput::WriteLine(std::string_view text) {
  Write(text);
  Write(lineEnd_);
}

void ReportOutput::Flush() {
  if (buffer_.empty()) return;
  if (copy_ != nullptr) copy_->append(buffer_);
  if (console_ != nullptr) {
    console_->Write(buffer_);
  } else if (file_.IsOpen()) {
    file_.Write(buffer_.data(), buffer_.size());
  }
  buffer_.clear();
}

bool ReportOutput::Close() {
  if (!IsOpen()) return writeError_.empty();
  Flush();
  if (console_ != nullptr) {
    writeError_ = console_->TakeWriteError();
    console_ = nullptr;
  } else if (!file_.Commit()) {
    writeError_ = file_.ErrorText();
  }
  return writeError_.empty();
}

}  // namespace tarnik
