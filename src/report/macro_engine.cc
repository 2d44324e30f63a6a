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

MacroText Marked(std::string_view text, bool literal) {
  return MacroText{std::string(text), std::vector<bool>(text.size(), literal)};
}

MacroText ValueOf(const MacroItem& item) { return MacroText{item.value, item.literal}; }

// The characters that begin at column skip or later and end within count columns, with their
// marks.
MacroText Part(const MacroText& text, std::size_t skip, std::size_t count, TextMeasure measure) {
  const std::size_t pos = SkipColumns(text.text, skip, measure);
  if (pos >= text.text.size()) return {};
  const std::string_view rest = std::string_view(text.text).substr(pos);
  const std::size_t bytes = PrefixBytes(rest, count, measure);
  auto first = text.literal.begin() + static_cast<std::ptrdiff_t>(pos);
  return MacroText{std::string(rest.substr(0, bytes)),
                   std::vector<bool>(first, first + static_cast<std::ptrdiff_t>(bytes))};
}

// The 255-byte cut, never inside a character.
void CutMarked(MacroText& text, TextMeasure measure) {
  if (text.text.size() <= kShortStringMax) return;
  const std::size_t cut = CharacterBoundary(text.text, kShortStringMax, measure);
  text.text.resize(cut);
  text.literal.resize(cut);
}

bool AnyLiteral(const std::vector<bool>& literal, std::size_t pos, std::size_t count) {
  auto first = literal.begin() + static_cast<std::ptrdiff_t>(pos);
  return std::find(first, first + static_cast<std::ptrdiff_t>(count), true) !=
         first + static_cast<std::ptrdiff_t>(count);
}

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
bool ExpandedTarget(MacroEngine& engine, std::string_view arguments, MacroText& value) {
  MacroItem* target = engine.FindKind(ArgumentWord(arguments, 2), kMacroVariable);
  if (target == nullptr) return false;
  value = engine.ExpandMarked(ValueOf(*target));
  return true;
}

bool ExpandedTarget(MacroEngine& engine, std::string_view arguments, std::string& value) {
  MacroText marked;
  if (!ExpandedTarget(engine, arguments, marked)) return false;
  value = std::move(marked.text);
  return true;
}

MacroItem* Target(MacroEngine& engine, std::string_view arguments) {
  return engine.FindKind(ArgumentWord(arguments, 2), kMacroVariable);
}

void StoreResult(MacroEngine& engine, std::string_view arguments, std::string_view value) {
  engine.SetValue(Target(engine, arguments), value);
}

// A result cut or filled from the target keeps the marks of the bytes it took over.
void StoreResult(MacroEngine& engine, std::string_view arguments, MacroText value) {
  engine.SetMarkedValue(Target(engine, arguments), std::move(value));
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

MacroText Filled(const MacroText& text, std::size_t width, std::string_view fill, Fill how,
                 TextMeasure measure) {
  MacroText cut = Part(text, 0, width, measure);
  const std::size_t length = TextWidth(cut.text, measure);
  if (length >= width) return cut;
  const std::size_t missing = width - length;
  const std::size_t before = how == Fill::kRight ? 0 : how == Fill::kLeft ? missing : missing / 2;
  const std::string head = FillText(before, fill, measure);
  const std::string tail = FillText(missing - before, fill, measure);
  MacroText filled{head, std::vector<bool>(head.size(), false)};
  filled.text += cut.text;
  filled.literal.insert(filled.literal.end(), cut.literal.begin(), cut.literal.end());
  filled.text += tail;
  filled.literal.insert(filled.literal.end(), tail.size(), false);
  return filled;
}

// The six fill functions; the "ch" forms take the fill character as word 4.
template <Fill kHow, bool kWithChar>
void FillFunction(MacroEngine& engine, std::string_view arguments) {
  MacroText value;
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
  MacroItem* target = Target(engine, arguments);
  if (target == nullptr) return;
  MacroText value = ValueOf(*target);
  value.text += Rest(arguments);
  value.literal.resize(value.text.size(), false);
  engine.SetMarkedValue(target, std::move(value));
}

void PrependText(MacroEngine& engine, std::string_view arguments) {
  MacroItem* target = Target(engine, arguments);
  if (target == nullptr) return;
  MacroText value = Marked(Rest(arguments), false);
  value.text += target->value;
  value.literal.insert(value.literal.end(), target->literal.begin(), target->literal.end());
  engine.SetMarkedValue(target, std::move(value));
}

// A start below 1 counts as 1 and a negative count as 0.
void CopyPart(MacroEngine& engine, std::string_view arguments) {
  MacroText value;
  if (!ExpandedTarget(engine, arguments, value)) return;
  std::int64_t start = Number(engine, ArgumentWord(arguments, 3));
  std::int64_t count = Number(engine, ArgumentWord(arguments, 4));
  if (start < 1) start = 1;
  if (count < 0) count = 0;
  // Positions and counts are columns: the characters that begin at column start or later and
  // end within count columns.
  StoreResult(engine, arguments,
              Part(value, static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count),
                   engine.measure()));
}

void Scale(MacroEngine& engine, std::string_view arguments) {
  if (Target(engine, arguments) == nullptr) return;
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
  if (Target(engine, arguments) == nullptr) return;
  std::string text = engine.Expand(Rest(arguments));
  StoreResult(engine, arguments,
              Decimal(static_cast<std::int64_t>(TextWidth(text, engine.measure()))));
}

// Replaces every occurrence of the item's name (already upper-cased) in line; upperLine mirrors
// line upper-cased. An occurrence that touches a literal byte is not one. The search goes on
// after each inserted value, so the value is not searched again in this pass. False when
// nothing was replaced.
bool ReplaceName(MacroText& line, std::string& upperLine, const MacroItem& item,
                 TextMeasure measure) {
  const std::string& name = item.name;
  if (name.empty()) return false;
  // Made on the first hit only: this runs for every variable on every template line, and
  // most names do not occur in it.
  std::string upperValue;
  bool replaced = false;
  std::size_t pos = 0;
  while (pos < line.text.size()) {
    std::size_t at = upperLine.find(name, pos);
    if (at == std::string::npos) break;
    if (AnyLiteral(line.literal, at, name.size())) {
      pos = at + 1;
      continue;
    }
    if (!replaced) upperValue = UpperCase(item.value);
    line.text.replace(at, name.size(), item.value);
    upperLine.replace(at, name.size(), upperValue);
    auto first = line.literal.begin() + static_cast<std::ptrdiff_t>(at);
    first = line.literal.erase(first, first + static_cast<std::ptrdiff_t>(name.size()));
    line.literal.insert(first, item.literal.begin(), item.literal.end());
    replaced = true;
    pos = at + item.value.size();
    if (line.text.size() > kShortStringMax) {
      CutMarked(line, measure);
      upperLine.resize(line.text.size());
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
  item->kind = kind;
  SetValue(item.get(), value);
  items_.push_back(std::move(item));
}

void MacroEngine::SetLiteralVariable(std::string_view name, std::string_view value) {
  SetVariable(name, {});
  SetLiteralValue(items_.back().get(), value);
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
  SetMarkedValue(item, Marked(value, false));
}

void MacroEngine::SetLiteralValue(MacroItem* item, std::string_view value) {
  SetMarkedValue(item, Marked(value, true));
}

void MacroEngine::SetMarkedValue(MacroItem* item, MacroText value) {
  if (item == nullptr) return;
  CutMarked(value, measure_);
  item->value = std::move(value.text);
  item->literal = std::move(value.literal);
}

void MacroEngine::Remove(std::string_view name) {
  std::string key = ItemName(name);
  auto found = std::find_if(items_.begin(), items_.end(),
                            [&key](const auto& item) { return item->name == key; });
  if (found != items_.end()) items_.erase(found);
}

std::string MacroEngine::ProcessLine(std::string_view line) {
  return ProcessMarked(Marked(line, false)).text;
}

MacroText MacroEngine::ProcessMarked(const MacroText& line) {
  bool anyLiteral = AnyLiteral(line.literal, 0, line.literal.size());
  std::string word = anyLiteral ? std::string() : ItemName(WordOf(line.text, 1, " "));
  if (!word.empty() && word[0] == '@') {
    if (MacroItem* function = FindKind(word, kMacroFunction)) {
      if (function->isFunction && function->handler != nullptr) {
        function->handler(*this, TrimLeft(line.text));
      }
      return {};
    }
  }
  return Substitute(line);
}

MacroText MacroEngine::Substitute(const MacroText& text) const {
  MacroText line = text;
  CutMarked(line, measure_);
  std::string upperLine = UpperCase(line.text);
  for (int pass = 0; pass < kMaxSubstitutionPasses; ++pass) {
    bool changed = false;
    for (const auto& item : items_) {
      if (item->isFunction || item->kind != kMacroVariable) continue;
      if (ReplaceName(line, upperLine, *item, measure_)) changed = true;
    }
    if (!changed) break;
  }
  return line;
}

std::string MacroEngine::Expand(std::string_view text) {
  return ExpandMarked(Marked(text, false)).text;
}

MacroText MacroEngine::ExpandMarked(MacroText text) {
  if (expandDepth_ >= kMaxExpandDepth) return {};
  ++expandDepth_;
  MacroText result = ProcessMarked(text);
  --expandDepth_;
  return result;
}

}  // namespace tarnik
