#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/charset.h"

namespace tarnik {

class Clock;
class MacroEngine;

// A macro function: called with the engine and the argument text (the whole line without its
// leading spaces, the function's own name included).
using MacroHandler = void (*)(MacroEngine& engine, std::string_view arguments);

inline constexpr std::uint8_t kMacroFunction = 1;
inline constexpr std::uint8_t kMacroVariable = 2;

// A text line whose variables keep producing new references (a variable that contains its own
// name) is given up after this many substitution passes and returned as it then stands.
inline constexpr int kMaxSubstitutionPasses = 64;
// A function whose target holds a function line that again expands the target would recurse
// without end; deeper expansions give empty text.
inline constexpr int kMaxExpandDepth = 16;

// A line or a value with one mark per byte. A marked byte came from a message or the
// configuration: it is text, never part of a variable name, and a line holding one is never run
// as a function line, so whoever can post in an echo cannot change the report.
struct MacroText {
  std::string text;
  std::vector<bool> literal;  // as long as text
};

struct MacroItem {
  std::string name;           // upper-cased (code page 866), trimmed of spaces
  std::string value;          // at most 255 bytes
  std::vector<bool> literal;  // the marks of value, as in MacroText
  std::uint8_t kind = kMacroVariable;
  bool isFunction = false;
  MacroHandler handler = nullptr;
};

// The macro processor of one report: a table of variables and macro functions in insertion
// order, and the expansion of template lines over it.
class MacroEngine {
 public:
  // Defines "@nothing", the fifteen macro functions and the clock variables (read once now).
  // Widths, positions, lengths and the 255-byte cuts follow measure: bytes, or the columns of
  // UTF-8 characters for a UTF-8 report.
  explicit MacroEngine(const Clock& clock, TextMeasure measure = TextMeasure::kBytes);

  // Removes any item of that name, then appends a variable (name upper-cased and trimmed).
  void SetVariable(std::string_view name, std::string_view value,
                   std::uint8_t kind = kMacroVariable);
  void RegisterFunction(std::string_view name, MacroHandler handler,
                        std::uint8_t kind = kMacroFunction);
  // The first item of that name (case-insensitive, blanks around it ignored); null when none.
  // The pointer stays valid until that item is removed.
  MacroItem* Find(std::string_view name);
  MacroItem* FindKind(std::string_view name, std::uint8_t kind);
  // SetVariable for a value from a message or the configuration: every byte is literal.
  void SetLiteralVariable(std::string_view name, std::string_view value);
  // Replaces the value (cut to 255 bytes) with template text; nothing when item is null.
  void SetValue(MacroItem* item, std::string_view value);
  // The same for a value from a message or the configuration: every byte is literal.
  void SetLiteralValue(MacroItem* item, std::string_view value);
  // The same with the marks the text carries.
  void SetMarkedValue(MacroItem* item, MacroText value);
  // Deletes the item Find(name) gives, variable or function; nothing when there is none.
  void Remove(std::string_view name);

  // Expands one template line: a function line runs its function and gives empty text; a text
  // line gets its variables substituted by repeated passes. The result has at most 255 bytes.
  std::string ProcessLine(std::string_view line);
  // ProcessLine keeping the marks: which bytes of the result are literal data. A line that
  // holds a literal byte is always a text line.
  MacroText ProcessMarked(const MacroText& line);
  // ProcessLine of a copy; how the macro functions evaluate their arguments.
  std::string Expand(std::string_view text);
  // ProcessMarked of a copy; how the macro functions evaluate a stored value.
  MacroText ExpandMarked(MacroText text);

  TextMeasure measure() const { return measure_; }
  std::size_t Count() const { return items_.size(); }
  // Item i, 0-based, in table order.
  const MacroItem& At(std::size_t i) const { return *items_[i]; }

 private:
  void InitClock(const Clock& clock);
  MacroText Substitute(const MacroText& line) const;

  std::vector<std::unique_ptr<MacroItem>> items_;
  int expandDepth_ = 0;
  TextMeasure measure_;
};

}  // namespace tarnik
