// Charset conversion over the input: the first byte picks the source charset (as a kludge of
// the text may name it), the second the target; the rest is the text. A UTF-8 result must be
// well-formed, and every cut and measure must stay inside the text and on its characters.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "common/charset.h"
#include "common/console.h"
#include "msgbase/kludge.h"
#include "scan/message_analysis.h"

namespace {

using namespace tarnik;

constexpr std::string_view kSources[] = {"CP866", "UTF-8",     "KOI8-R",  "IBMPC", "LATIN-1",
                                         "UKR",   "SHIFT_JIS", "GB18030", "BIG5",  "ISO-2022-JP",
                                         "UTF-7", "ISO646-DE", "CP1251",  "MAC",   "EUC-KR"};
constexpr std::string_view kTargets[] = {"UTF-8", "CP866", "KOI8-R", "ISO-2022-JP", "SHIFT_JIS"};

// Converters are made once per pair: iconv's set-up would otherwise be all the fuzzer runs.
const CharsetConverter& Converter(std::size_t from, std::size_t to) {
  static std::unique_ptr<CharsetConverter> made[std::size(kSources)][std::size(kTargets)];
  std::unique_ptr<CharsetConverter>& slot = made[from][to];
  if (!slot) slot = std::make_unique<CharsetConverter>(kSources[from], kTargets[to]);
  return *slot;
}

void CheckMeasures(std::string_view text, TextMeasure measure) {
  const std::size_t width = TextWidth(text, measure);
  for (std::size_t columns : {std::size_t{0}, std::size_t{1}, width / 2, width, width + 3}) {
    if (PrefixBytes(text, columns, measure) > text.size()) std::abort();
    if (SkipColumns(text, columns, measure) > text.size()) std::abort();
  }
  const std::size_t cut = CharacterBoundary(text, 255, measure);
  if (cut > text.size() || cut > 255) std::abort();
  if (WithoutCutCharacter(text, measure) > text.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t from = data[0] % std::size(kSources);
  const std::size_t to = data[1] % std::size(kTargets);
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  const CharsetConverter& converter = Converter(from, to);
  const std::string converted = converter.Convert(text);
  if (kTargets[to] == "UTF-8") {
    if (!IsValidUtf8(converted)) std::abort();
    if (!IsValidUtf8(CutShort(converted, TextMeasure::kUtf8))) std::abort();
    std::string normalized;
    NormalizeSubject(converted, normalized, LookAlikesIn("UTF-8"));
    if (!IsValidUtf8(normalized)) std::abort();
  }
  CheckMeasures(text, TextMeasure::kUtf8);
  CheckMeasures(converted, TextMeasure::kUtf8);
  CheckMeasures(text, TextMeasure::kBytes);

  TextLineCounts counts;
  CountTextLines(text, counts, nullptr);
  if (counts.charset.size() > text.size()) std::abort();
  IconvCharsetName(counts.charset);

  // The console of a UTF-8 locale, written in pieces that split characters anywhere.
  StringConsole out;
  {
    LocaleConsole console(out, kTargets[to] == "UTF-8" ? "KOI8-R" : "UTF-8");
    console.SetTextCharset(kSources[from] == "UTF-8" ? "UTF-8" : "CP866");
    std::size_t step = 1 + data[1] % 7;
    for (std::size_t at = 0; at < text.size(); at += step) console.Write(text.substr(at, step));
  }
  return 0;
}
