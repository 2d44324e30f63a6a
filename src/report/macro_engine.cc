#include "report/macro_engine.h"

#include <algorithm>
#include <cmath>

#include "common/clock.h"
#include "common/cp866.h"
#include "common/text.h"
#include "core/calendar.h"

namespace tarnik {
namespace {

std::string ItemName(std::string_view name) { return UpperCase(Trim(name)); }

// Argument words are separated by spaces alone: a TAB belongs to the word.
std::string_view ArgumentWord(std::string_view arguments, int n) {
  return WordOf(arguments, n, " ");
}

// The text after the second blank, each space or TAB counting once: with single blanks, what
// follows the target variable's name.
std::string_view Rest(std::string_view arguments) { return RestAfterBlank(arguments, 2); }

std::int32_t Number(MacroEngine& engine, std::string_view word) {
  return IntValue(engine.Expand(word));
}

// The first character of the expansion; the character with code 0 when it is empty.
std::string Character(MacroEngine& engine, std::string_view word) {
  std::string text = engine.Expand(word);
  if (text.empty()) return std::string(1, '\0');
  if (engine.measure() == TextMeasure::kBytes) return text.substr(0, 1);
  char32_t c = 0;
  return text.substr(0, DecodeUtf8(text, c));
}

// Widths are taken modulo 256, so every result stays within 255 bytes.
std::size_t Width(std::int32_t width) { return static_cast<std::size_t>(width & 0xFF); }

// The target's expanded value, or false when the target variable does not exist. Expanding a
// value that is a function line runs that function, which may remove or replace the target,
// so callers store their result through StoreResult, which looks the name up again.
bool ExpandedTarget(MacroEngine& engine, std::string_view arguments, std::string& value) {
  MacroItem* target = engine.FindKind(ArgumentWord(arguments, 2), kMacroVariable);
  if (target == nullptr) return false;
  std::string stored = target->value;
  value = engine.Expand(stored);
  return true;
}

void StoreResult(MacroEngine& engine, std::string_view arguments, std::string_view value) {
  engine.SetValue(engine.FindKind(ArgumentWord(arguments, 2), kMacroVariable), value);
}

enum class Fill { kRight, kLeft, kCenter };

// Columns of fill characters; a fill character wider than what is left (a wide one in an odd
// gap), or one of no width, leaves spaces instead.
std::string FillText(std::size_t columns, std::string_view fill, TextMeasure measure) {
  const std::size_t fillWidth = TextWidth(fill, measure);
  if (fillWidth == 1 && fill.size() == 1) return std::string(columns, fill[0]);
  std::string out;
  std::size_t used = 0;
  while (fillWidth > 0 && used + fillWidth <= columns) {
    out += fill;
    used += fillWidth;
  }
  out.append(columns - used, ' ');
  return out;
}

std::string Filled(std::string_view text, std::size_t width, std::string_view fill, Fill how,
                   TextMeasure measure) {
  std::string cut(text.substr(0, PrefixBytes(text, width, measure)));
  const std::size_t length = TextWidth(cut, measure);
  if (length >= width) return cut;
  std::size_t missing = width - length;
  switch (how) {
    case Fill::kRight:
      return cut + FillText(missing, fill, measure);
    case Fill::kLeft:
      return FillText(missing, fill, measure) + cut;
    case Fill::kCenter:
      return FillText(missing / 2, fill, measure) + cut +
             FillText(missing - missing / 2, fill, measure);
  }
  return cut;
}

// The six fill functions; the "ch" forms take the fill character as word 4.
template <Fill kHow, bool kWithChar>
void FillFunction(MacroEngine& engine, std::string_view arguments) {
  std::string value;
  if (!ExpandedTarget(engine, arguments, value)) return;
  std::size_t width = Width(Number(engine, ArgumentWord(arguments, 3)));
  std::string fill = kWithChar ? Character(engine, ArgumentWord(arguments, 4)) : " ";
  StoreResult(engine, arguments, Filled(value, width, fill, kHow, engine.measure()));
}

// The name is word 2 over blanks and TABs; the text is stored unexpanded.
void Assign(MacroEngine& engine, std::string_view arguments) {
  engine.SetVariable(WordOf(arguments, 2, kBlanks), Trim(Rest(arguments)));
}

void Destroy(MacroEngine& engine, std::string_view arguments) {
  engine.Remove(ArgumentWord(arguments, 2));
}

void AppendText(MacroEngine& engine, std::string_view arguments) {
  MacroItem* target = engine.FindKind(ArgumentWord(arguments, 2), kMacroVariable);
  if (target == nullptr) return;
  engine.SetValue(target, target->value + std::string(Rest(arguments)));
}

void PrependText(MacroEngine& engine, std::string_view arguments) {
  MacroItem* target = engine.FindKind(ArgumentWord(arguments, 2), kMacroVariable);
  if (target == nullptr) return;
  engine.SetValue(target, std::string(Rest(arguments)) + target->value);
}

// A start below 1 counts as 1 and a negative count as 0.
void CopyPart(MacroEngine& engine, std::string_view arguments) {
  std::string value;
  if (!ExpandedTarget(engine, arguments, value)) return;
  std::int64_t start = Number(engine, ArgumentWord(arguments, 3));
  std::int64_t count = Number(engine, ArgumentWord(arguments, 4));
  if (start < 1) start = 1;
  if (count < 0) count = 0;
  // Positions and counts are columns: the characters that begin at column start or later and
  // end within count columns.
  const TextMeasure measure = engine.measure();
  std::string_view rest = value;
  rest.remove_prefix(SkipColumns(rest, static_cast<std::size_t>(start - 1), measure));
  rest = rest.substr(0, PrefixBytes(rest, static_cast<std::size_t>(count), measure));
  StoreResult(engine, arguments, rest);
}

void Scale(MacroEngine& engine, std::string_view arguments) {
  if (engine.FindKind(ArgumentWord(arguments, 2), kMacroVariable) == nullptr) return;
  double a = Number(engine, ArgumentWord(arguments, 3));
  std::int32_t b = Number(engine, ArgumentWord(arguments, 4));
  double c = Number(engine, ArgumentWord(arguments, 5));
  if (b == 0) b = 1;
  // std::round takes halves away from zero: 10.5 gives 11, -2.5 gives -3.
  double scaled = std::round(a / b * c);
  StoreResult(engine, arguments, Decimal(static_cast<std::int64_t>(scaled)));
}

void NumFormat(MacroEngine& engine, std::string_view arguments) {
  std::string value;
  if (!ExpandedTarget(engine, arguments, value)) return;
  StoreResult(engine, arguments, GroupThousands(Decimal(IntValue(value))));
}

void ConvSize(MacroEngine& engine, std::string_view arguments) {
  std::string value;
  if (!ExpandedTarget(engine, arguments, value)) return;
  std::int64_t width = Number(engine, ArgumentWord(arguments, 3));
  std::int64_t size = IntValue(value);
  static constexpr char kUnits[] = {'b', 'K', 'M', 'G'};
  std::string text;
  for (char unit : kUnits) {
    text = GroupThousands(Decimal(size)) + unit;
    if (static_cast<std::int64_t>(text.size()) <= width) break;
    size /= 1024;
  }
  StoreResult(engine, arguments, text);
}

void Length(MacroEngine& engine, std::string_view arguments) {
  if (engine.FindKind(ArgumentWord(arguments, 2), kMacroVariable) == nullptr) return;
  std::string text = engine.Expand(Rest(arguments));
  StoreResult(engine, arguments,
              Decimal(static_cast<std::int64_t>(TextWidth(text, engine.measure()))));
}

// Replaces every occurrence of one name (already upper-cased) in line; upperLine mirrors line
// upper-cased. The search goes on after each inserted value, so the value is not searched again
// in this pass. False when nothing was found.
bool ReplaceName(std::string& line, std::string& upperLine, const std::string& name,
                 const std::string& value, TextMeasure measure) {
  if (name.empty()) return false;
  // Made on the first hit only: this runs for every variable on every template line, and
  // most names do not occur in it.
  std::string upperValue;
  bool replaced = false;
  std::size_t pos = 0;
  while (pos < line.size()) {
    std::size_t at = upperLine.find(name, pos);
    if (at == std::string::npos) break;
    if (!replaced) upperValue = UpperCase(value);
    line.replace(at, name.size(), value);
    upperLine.replace(at, name.size(), upperValue);
    replaced = true;
    pos = at + value.size();
    if (line.size() > kShortStringMax) {
      const std::size_t cut = CharacterBoundary(line, kShortStringMax, measure);
      line.resize(cut);
      upperLine.resize(cut);
    }
  }
  return replaced;
}

}  // namespace

MacroEngine::MacroEngine(const Clock& clock, TextMeasure measure) : measure_(measure) {
  SetVariable("@nothing", "", kMacroVariable);
  RegisterFunction("@rightpad", FillFunction<Fill::kRight, false>);
  RegisterFunction("@rightpadch", FillFunction<Fill::kRight, true>);
  RegisterFunction("@leftpad", FillFunction<Fill::kLeft, false>);
  RegisterFunction("@leftpadch", FillFunction<Fill::kLeft, true>);
  RegisterFunction("@assign", Assign);
  RegisterFunction("@destroy", Destroy);
  RegisterFunction("@addb", PrependText);
  RegisterFunction("@addf", AppendText);
  RegisterFunction("@copy", CopyPart);
  RegisterFunction("@centerch", FillFunction<Fill::kCenter, true>);
  RegisterFunction("@center", FillFunction<Fill::kCenter, false>);
  RegisterFunction("@scale", Scale);
  RegisterFunction("@numformat", NumFormat);
  RegisterFunction("@convsize", ConvSize);
  RegisterFunction("@length", Length);
  InitClock(clock);
}

void MacroEngine::InitClock(const Clock& clock) {
  LocalTime now = clock.Now();
  SetVariable("@curhour", TwoDigits(now.hour));
  SetVariable("@curmin", TwoDigits(now.minute));
  SetVariable("@cursec", TwoDigits(now.second));
  SetVariable("@curday", TwoDigits(now.day));
  SetVariable("@curmonth", TwoDigits(now.month));
  SetVariable("@curyear", TwoDigits(now.year));
}

void MacroEngine::SetVariable(std::string_view name, std::string_view value, std::uint8_t kind) {
  Remove(name);
  auto item = std::make_unique<MacroItem>();
  item->name = ItemName(name);
  item->value = CutShort(value, measure_);
  item->kind = kind;
  items_.push_back(std::move(item));
}

void MacroEngine::RegisterFunction(std::string_view name, MacroHandler handler, std::uint8_t kind) {
  Remove(name);
  auto item = std::make_unique<MacroItem>();
  item->name = ItemName(name);
  item->kind = kind;
  item->isFunction = true;
  item->handler = handler;
  items_.push_back(std::move(item));
}

MacroItem* MacroEngine::Find(std::string_view name) {
  std::string key = ItemName(name);
  for (auto& item : items_) {
    if (item->name == key) return item.get();
  }
  return nullptr;
}

MacroItem* MacroEngine::FindKind(std::string_view name, std::uint8_t kind) {
  std::string key = ItemName(name);
  for (auto& item : items_) {
    if (item->name == key && item->kind == kind) return item.get();
  }
  return nullptr;
}

void MacroEngine::SetValue(MacroItem* item, std::string_view value) {
  if (item != nullptr) item->value = CutShort(value, measure_);
}

void MacroEngine::Remove(std::string_view name) {
  std::string key = ItemName(name);
  auto found = std::find_if(items_.begin(), items_.end(),
                            [&key](const auto& item) { return item->name == key; });
  if (found != items_.end()) items_.erase(found);
}

std::string MacroEngine::ProcessLine(std::string_view line) {
  std::string word = ItemName(WordOf(line, 1, " "));
  if (!word.empty() && word[0] == '@') {
    if (MacroItem* function = FindKind(word, kMacroFunction)) {
      if (function->isFunction && function->handler != nullptr) {
        function->handler(*this, TrimLeft(line));
      }
      return {};
    }
  }
  return Substitute(line);
}

std::string MacroEngine::Substitute(std::string_view text) const {
  std::string line = CutShort(text, measure_);
  std::string upperLine = UpperCase(line);
  for (int pass = 0; pass < kMaxSubstitutionPasses; ++pass) {
    bool changed = false;
    for (const auto& item : items_) {
      if (item->isFunction || item->kind != kMacroVariable) continue;
      if (ReplaceName(line, upperLine, item->name, item->value, measure_)) changed = true;
    }
    if (!changed) break;
  }
  return line;
}

std::string MacroEngine::Expand(std::string_view text) {
  if (expandDepth_ >= kMaxExpandDepth) return {};
  std::string copy(text);
  ++expandDepth_;
  std::string result = ProcessLine(copy);
  --expandDepth_;
  return result;
}

}  // namespace tarnik
