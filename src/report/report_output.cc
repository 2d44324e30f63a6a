#include "report/report_output.h"

#include "common/console.h"

namespace tarnik {

ReportOutput::ReportOutput(std::size_t bufferSize)
    : bufferSize_(bufferSize == 0 ? 1 : bufferSize) {}

ReportOutput::~ReportOutput() { Close(); }

bool ReportOutput::OpenFile(const std::string& name) {
  Close();
  writeError_.clear();
  return file_.Open(name, FileMode::kCreate);
}

void ReportOutput::OpenConsole(Console& console) {
  Close();
  console_ = &console;
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
  if (console_ != nullptr) {
    console_->Write(buffer_);
  } else if (file_.IsOpen()) {
    if (!file_.Write(buffer_.data(), buffer_.size()) && writeError_.empty()) {
      writeError_ = file_.ErrorText();
    }
  }
  buffer_.clear();
}

void ReportOutput::Close() {
  Flush();
  console_ = nullptr;
  file_.Close();
}

}  // namespace tarnik
