#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/charset.h"

namespace tarnik {

// Where console texts go. Bytes are written unchanged; nothing adds line ends.
class Console {
 public:
  virtual ~Console() = default;
  virtual void Write(std::string_view bytes) = 0;
  // True when the output is a terminal (the progress spinner draws only then).
  virtual bool IsTerminal() const = 0;
  // Why a write failed since the last call (a report sent to a full disk); empty when every
  // byte went out. The failure is forgotten once told.
  virtual std::string TakeWriteError() { return {}; }
  // The charset of the texts written from now on (code page 866 until then); a console that
  // passes bytes unchanged has no use for it.
  virtual void SetTextCharset(std::string_view /*charset*/) {}
};

// Sets the program's character type from the locale the environment names (LC_ALL, LC_CTYPE,
// LANG) and gives the locale's charset; empty for the C and POSIX locales (and a locale the
// system lacks), whose consoles get the program's bytes unchanged. Called once at start.
std::string ConsoleCharsetFromLocale();

// Passes console texts on in the charset of the user's locale, as gettext does with message
// catalogues: texts are converted from the charset the program writes them in (code page 866,
// later the report charset) into localeCharset. With an empty localeCharset, or one the text
// is in already, bytes pass unchanged.
class LocaleConsole final : public Console {
 public:
  LocaleConsole(Console& out, std::string localeCharset);
  // Passes on what an incomplete character at the end held back.
  ~LocaleConsole() override;
  LocaleConsole(const LocaleConsole&) = delete;
  LocaleConsole& operator=(const LocaleConsole&) = delete;

  void Write(std::string_view bytes) override;
  bool IsTerminal() const override { return out_.IsTerminal(); }
  std::string TakeWriteError() override { return out_.TakeWriteError(); }
  void SetTextCharset(std::string_view charset) override;

 private:
  Console& out_;
  std::string localeCharset_;
  std::string textCharset_;                      // as iconv names it
  std::unique_ptr<CharsetConverter> converter_;  // none: bytes pass unchanged
  bool textUtf8_ = false;
  // The start of a UTF-8 character whose end comes with the next write.
  std::string pending_;
};

// Standard output, unbuffered, so console texts and a report on standard output interleave
// in the order they were written.
class StdoutConsole final : public Console {
 public:
  void Write(std::string_view bytes) override;
  bool IsTerminal() const override;
  std::string TakeWriteError() override;

 private:
  int error_ = 0;  // errno of the first failed write
};

// Standard error, for diagnostics; never a terminal for the spinner's purposes.
class StderrConsole final : public Console {
 public:
  void Write(std::string_view bytes) override;
  bool IsTerminal() const override;
};

// Drops everything: the console of a quiet run.
class NullConsole final : public Console {
 public:
  void Write(std::string_view) override {}
  bool IsTerminal() const override { return false; }
};

// Test double: collects everything written.
class StringConsole final : public Console {
 public:
  explicit StringConsole(bool terminal = false) : terminal_(terminal) {}
  void Write(std::string_view bytes) override { text_.append(bytes); }
  bool IsTerminal() const override { return terminal_; }
  const std::string& text() const { return text_; }
  void Clear() { text_.clear(); }

 private:
  bool terminal_;
  std::string text_;
};

}  // namespace tarnik
