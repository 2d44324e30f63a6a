#pragma once

#include <string>
#include <string_view>

namespace tarnik {

// Where console texts go. Bytes are written unchanged; nothing adds line ends.
class Console {
 public:
  virtual ~Console() = default;
  virtual void Write(std::string_view bytes) = 0;
  // True when the output is a terminal (the progress spinner draws only then).
  virtual bool IsTerminal() const = 0;
};

// Standard output, unbuffered, so console texts and a report on standard output interleave
// in the order they were written.
class StdoutConsole final : public Console {
 public:
  void Write(std::string_view bytes) override;
  bool IsTerminal() const override;
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
