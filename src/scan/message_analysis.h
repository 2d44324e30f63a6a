#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/ftn_address.h"
#include "core/stat_tables.h"

namespace tarnik {

// The letters the subject rule turns into Latin H and p, as the report charset writes them:
// the Cyrillic capital En and small Er, which look the same. Code page 866's by default; empty
// for a charset that has no such letter.
struct LookAlikes {
  std::string capitalEn{"\x8D"};
  std::string smallEr{"\xE0"};
};
LookAlikes LookAlikesIn(std::string_view charset);

// Replaces 0x8D by "H" and 0xE0 by "p", then drops one "Re"-style prefix: when the first two
// characters are "re" in any case, the rest after the first space (empty without one).
std::string NormalizeSubject(std::string_view subject);
// The same into a caller's buffer (its capacity is reused).
void NormalizeSubject(std::string_view subject, std::string& normalized);
// The same with the look-alike letters of another charset.
void NormalizeSubject(std::string_view subject, std::string& normalized,
                      const LookAlikes& lookAlikes);

// Whole hours between writing and arrival, never negative; minutes and seconds are not used.
std::int32_t DeliveryHours(std::int32_t writtenDay, int writtenHour, std::int32_t arrivedDay,
                           int arrivedHour);

// The text a name or subject is stored and looked up as ("" as " ").
inline std::string_view StoredKey(std::string_view text) {
  return text.empty() ? std::string_view(" ") : text;
}
// The record for a person, created with all counters 0 when new ("" is stored as " ").
PersonStat& FindOrAddPerson(StatTables& tables, std::string_view name);
// The same with TextIndex::HashOf(StoredKey(name)) computed before.
PersonStat& FindOrAddPerson(StatTables& tables, std::string_view name, std::size_t keyHash);
// The record for a date, inserted at its date position when new.
DayStat& FindOrAddDay(StatTables& tables, std::int32_t year, std::int32_t month, std::int32_t day);
// The record for a normalised subject, appended when new ("" is stored as " ").
SubjectStat& FindOrAddSubject(StatTables& tables, std::string_view subject);
SubjectStat& FindOrAddSubject(StatTables& tables, std::string_view subject, std::size_t keyHash);
// Puts persons in name order (byte-wise); the index is dropped.
void SortPersonsByName(StatTables& tables);

// Line rules of one text line: counted in lines unless it starts with "@", "---" or
// " * Origin"; quoted when ">" is among its first 11 characters.
bool CountsAsTextLine(std::string_view line);
bool IsQuotedLine(std::string_view line);
// What one pass over a message text gives.
struct TextLineCounts {
  std::int32_t lines = 0;
  std::int32_t quoted = 0;
  // The charset the first CHRS, CHARSET or CODEPAGE kludge line names (a view into the text);
  // empty when there is none.
  std::string_view charset;
};
// Applies both rules to every line of a message text, split as MessageText::ReadLine splits
// it from the start (CR, LF, CR LF, NUL and NUL LF end a line; a last line needs no end).
void CountTextLines(std::string_view text, std::int32_t& lines, std::int32_t& quoted);
// The same, and in the one pass applies every kludge line (cut as a kludge read cuts it) to
// dest the way MessageBase::GetDestAddr does, so a scan needs no second walk for it.
void CountTextLines(std::string_view text, std::int32_t& lines, std::int32_t& quoted,
                    FtnAddress& dest);
// Both rules and the charset kludge in one pass; with dest, the destination as above too.
void CountTextLines(std::string_view text, TextLineCounts& counts, FtnAddress* dest);

}  // namespace tarnik
