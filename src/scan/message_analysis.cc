#include "scan/message_analysis.h"

#include <algorithm>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/charset.h"
#include "common/cp866.h"
#include "core/calendar.h"
#include "msgbase/kludge.h"
#include "msgbase/message_base.h"
#include "msgbase/message_text.h"

namespace tarnik {

namespace {

void ReplaceAll(std::string& text, std::string_view from, char to) {
  if (from.empty()) return;
  std::size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), 1, to);
    ++at;
  }
}

}  // namespace

LookAlikes LookAlikesIn(std::string_view charset) {
  const CharsetConverter converter("UTF-8", charset);
  LookAlikes lookAlikes;
  if (!converter.ok()) return lookAlikes;
  lookAlikes.capitalEn = converter.Convert("\xD0\x9D");
  lookAlikes.smallEr = converter.Convert("\xD1\x80");
  if (lookAlikes.capitalEn == "?") lookAlikes.capitalEn.clear();
  if (lookAlikes.smallEr == "?") lookAlikes.smallEr.clear();
  return lookAlikes;
}

std::string NormalizeSubject(std::string_view subject) {
  std::string text;
  NormalizeSubject(subject, text);
  return text;
}

void NormalizeSubject(std::string_view subject, std::string& text) {
  NormalizeSubject(subject, text, LookAlikes{});
}

void NormalizeSubject(std::string_view subject, std::string& text, const LookAlikes& lookAlikes) {
  text.assign(subject);
  // These Cyrillic letters look like Latin H and p; writers mix them.
  if (lookAlikes.capitalEn.size() == 1 && lookAlikes.smallEr.size() == 1) {
    const char en = lookAlikes.capitalEn[0];
    const char er = lookAlikes.smallEr[0];
    for (char& c : text) {
      if (c == en) c = 'H';
      if (c == er) c = 'p';
    }
  } else {
    ReplaceAll(text, lookAlikes.capitalEn, 'H');
    ReplaceAll(text, lookAlikes.smallEr, 'p');
  }
  if (text.size() >= 2 && LowerChar(text[0]) == 'r' && LowerChar(text[1]) == 'e') {
    std::size_t space = text.find(' ');
    text.erase(0, space == std::string::npos ? text.size() : space + 1);
  }
}

std::int32_t DeliveryHours(std::int32_t writtenDay, int writtenHour, std::int32_t arrivedDay,
                           int arrivedHour) {
  // Whole hours between the two moments. Taking the day and hour differences apart would
  // count a message written at 23:50 and tossed at 00:10 as 47 hours on the way.
  std::int64_t hours = 24 * (static_cast<std::int64_t>(arrivedDay) - writtenDay) +
                       (static_cast<std::int64_t>(arrivedHour) - writtenHour);
  return static_cast<std::int32_t>(std::llabs(hours));
}

namespace {

// The record whose text field holds key, appended with only that field set when new.
template <typename Record>
Record& FindOrAppend(std::vector<Record>& records, TextIndex& index, std::string Record::*text,
                     std::string_view key, std::size_t keyHash) {
  const std::size_t at =
      index.FindOrInsert(key, keyHash, records.size(),
                         [&](std::size_t i) -> std::string_view { return records[i].*text; });
  if (at < records.size()) return records[at];
  Record& record = records.emplace_back();
  record.*text = std::string(key);
  return record;
}

}  // namespace

PersonStat& FindOrAddPerson(StatTables& tables, std::string_view name) {
  return FindOrAddPerson(tables, name, TextIndex::HashOf(StoredKey(name)));
}

PersonStat& FindOrAddPerson(StatTables& tables, std::string_view name, std::size_t keyHash) {
  return FindOrAppend(tables.persons, tables.personIndex, &PersonStat::name, StoredKey(name),
                      keyHash);
}

DayStat& FindOrAddDay(StatTables& tables, std::int32_t year, std::int32_t month, std::int32_t day) {
  auto before = [](const DayStat& a, const DayStat& b) {
    if (a.year != b.year) return a.year < b.year;
    if (a.month != b.month) return a.month < b.month;
    return a.day < b.day;
  };
  DayStat key;
  key.year = year;
  key.month = month;
  key.day = day;
  auto it = std::lower_bound(tables.days.begin(), tables.days.end(), key, before);
  if (it != tables.days.end() && !before(key, *it)) return *it;
  return *tables.days.insert(it, key);
}

SubjectStat& FindOrAddSubject(StatTables& tables, std::string_view subject) {
  return FindOrAddSubject(tables, subject, TextIndex::HashOf(StoredKey(subject)));
}

SubjectStat& FindOrAddSubject(StatTables& tables, std::string_view subject, std::size_t keyHash) {
  return FindOrAppend(tables.subjects, tables.subjectIndex, &SubjectStat::subject,
                      StoredKey(subject), keyHash);
}

void SortPersonsByName(StatTables& tables) {
  // Names are unique, so any sort gives the one byte-wise order (a prefix sorts first).
  std::sort(tables.persons.begin(), tables.persons.end(),
            [](const PersonStat& a, const PersonStat& b) { return a.name < b.name; });
  tables.personIndex.clear();
}

bool CountsAsTextLine(std::string_view line) {
  if (line.empty()) return true;
  // The first byte rules out nearly every line before any comparison.
  switch (line[0]) {
    case '@':
      return false;
    case '-':
      return line.substr(0, 3) != "---";
    case ' ':
      return line.substr(0, 9) != " * Origin";
    default:
      return true;
  }
}

bool IsQuotedLine(std::string_view line) {
  const std::size_t head = std::min<std::size_t>(line.size(), 11);
  for (std::size_t i = 0; i < head; ++i) {
    if (line[i] == '>') return true;
  }
  return false;
}

namespace {

// IsQuotedLine for a line of the text whose first 16 bytes can be read, whatever its length:
// one compare instead of a loop over the 11 bytes.
bool IsQuotedLineIn(std::string_view line, const char* textEnd) {
#if defined(__SSE2__)
  if (textEnd - line.data() >= 16) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data()));
    const unsigned marks =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(head, _mm_set1_epi8('>'))));
    const std::size_t checked = std::min<std::size_t>(line.size(), 11);
    return (marks & ((1u << checked) - 1)) != 0;
  }
#else
  (void)textEnd;
#endif
  return IsQuotedLine(line);
}

// Both rules look at the first 11 bytes only, so the 255-byte cut of a line read changes
// nothing here; a kludge line is cut as a kludge read cuts it.
template <bool kDestination>
void CountLines(std::string_view text, TextLineCounts& counts, FtnAddress* dest) {
  std::int32_t counted = 0;
  std::int32_t quotes = 0;
  bool charsetFound = false;
  std::string_view charset;
  const char* textEnd = text.data() + text.size();
  ForEachLine(text, [&](std::string_view line) {
    if (CountsAsTextLine(line)) ++counted;
    if (IsQuotedLineIn(line, textEnd)) ++quotes;
    if (!line.empty() && line[0] == '\x01') {
      if constexpr (kDestination) ParseDestKludge(*dest, line.substr(0, kReadLineBuffer - 1));
      if (!charsetFound) charsetFound = ParseCharsetKludge(line, charset);
    }
  });
  counts.lines = counted;
  counts.quoted = quotes;
  counts.charset = charset;
}

}  // namespace

void CountTextLines(std::string_view text, std::int32_t& lines, std::int32_t& quoted) {
  TextLineCounts counts;
  CountLines<false>(text, counts, nullptr);
  lines = counts.lines;
  quoted = counts.quoted;
}

void CountTextLines(std::string_view text, std::int32_t& lines, std::int32_t& quoted,
                    FtnAddress& dest) {
  TextLineCounts counts;
  CountLines<true>(text, counts, &dest);
  lines = counts.lines;
  quoted = counts.quoted;
}

void CountTextLines(std::string_view text, TextLineCounts& counts, FtnAddress* dest) {
  if (dest != nullptr) {
    CountLines<true>(text, counts, dest);
  } else {
    CountLines<false>(text, counts, nullptr);
  }
}

}  // namespace tarnik
