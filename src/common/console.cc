#include "common/console.h"

#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>

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

std::string ConsoleCharsetFromLocale() {
  const char* name = std::setlocale(LC_CTYPE, "");
  if (name == nullptr) return {};
  const std::string_view locale(name);
  // The C locale, the usual one of cron, gets the design's bytes as they always were.
  if (locale == "C" || locale == "POSIX") return {};
  const char* codeset = nl_langinfo(CODESET);
  return codeset == nullptr ? std::string() : std::string(codeset);
}

LocaleConsole::LocaleConsole(Console& out, std::string localeCharset)
    : out_(out), localeCharset_(std::move(localeCharset)) {
  SetTextCharset(kDesignCharset);
}

LocaleConsole::~LocaleConsole() {
  if (pending_.empty() || !converter_) return;
  out_.Write(converter_->Convert(pending_));
}

void LocaleConsole::SetTextCharset(std::string_view charset) {
  std::string name = IconvCharsetName(charset);
  if (name == textCharset_) return;
  textCharset_ = std::move(name);
  if (!pending_.empty() && converter_) out_.Write(converter_->Convert(pending_));
  pending_.clear();
  converter_.reset();
  textUtf8_ = IsUtf8Charset(charset);
  if (localeCharset_.empty() || IconvCharsetName(charset) == IconvCharsetName(localeCharset_) ||
      (textUtf8_ && IsUtf8Charset(localeCharset_))) {
    return;
  }
  auto converter = std::make_unique<CharsetConverter>(charset, localeCharset_);
  if (converter->ok() && !converter->IsIdentity()) converter_ = std::move(converter);
}

void LocaleConsole::Write(std::string_view bytes) {
  if (!converter_) {
    out_.Write(bytes);
    return;
  }
  std::string_view text = bytes;
  std::string joined;
  if (!pending_.empty()) {
    joined = pending_;
    joined.append(bytes);
    pending_.clear();
    text = joined;
  }
  // A report written through the console arrives in chunks that may end inside a character.
  const std::size_t complete =
      WithoutCutCharacter(text, textUtf8_ ? TextMeasure::kUtf8 : TextMeasure::kBytes);
  pending_.assign(text.substr(complete));
  // Nothing is kept between writes: the leak line compares the heap before and after the run.
  const std::string converted = converter_->Convert(text.substr(0, complete));
  if (!converted.empty()) out_.Write(converted);
}

}  // namespace tarnik
