#include "scan/echo_scan.h"

#include <limits>
#include <memory>
#include <vector>

#include "common/charset.h"
#include "common/cp866.h"
#include "common/text.h"
#include "common/worker_thread.h"
#include "config/period.h"
#include "core/calendar.h"
#include "core/language_table.h"
#include "core/text_ids.h"
#include "msgbase/message_base.h"
#include "msgbase/open_failure.h"
#include "scan/message_analysis.h"
#include "scan/message_charsets.h"
#include "scan/spinner.h"
#include "scan/split_walk.h"

namespace tarnik {
namespace {

// Reused buffers, so counting a message allocates nothing once they have grown.
struct MessageScratch {
  std::string from;
  std::string to;
  std::string subject;
  std::string normalized;
  std::string converted;
  // The charsets this walk's messages named, with their converters: an echo's messages name
  // a few, so the run's shared cache (and its lock) is asked once for each.
  struct NamedCharset {
    std::string name;
    const CharsetConverter* converter;
  };
  std::vector<NamedCharset> charsets;
};

// More names than this in one walk are looked up in the shared cache each time.
constexpr std::size_t kWalkCharsets = 16;

// What every message of one walk is counted with.
struct WalkRules {
  const EchoGroup& group;
  std::int32_t today;
  MessageCharsets* charsets;
  std::string_view echoTag;
};

// The hashes of one message's table lookups, computed before its text is counted.
struct LookupKeys {
  std::size_t from = 0;
  std::size_t to = 0;
  std::size_t subject = 0;
};

// What one pass over a message text gives.
struct TextCounts {
  std::int32_t lines = 0;
  std::int32_t quoted = 0;
  FtnAddress dest;           // from the kludges, only when the base keeps addresses nowhere else
  std::string_view charset;  // as the text's charset kludge names it, a view into the text
};

void AddDeliveryTime(const MsgDateTime& written, std::int32_t writtenDay,
                     const MsgDateTime& arrived, GroupScanState& state) {
  // A *.MSG date-arrived field that no tosser filled holds no date (crashmail leaves it 0 in
  // echomail and keeps zone and point words there in netmail): such a message has no
  // delivery time, rather than one of decades.
  if (!IsCalendarDate(arrived)) return;
  std::int32_t delivery = DeliveryHours(
      writtenDay, written.Hour, DayNumber(arrived.Year, arrived.Month, arrived.Day), arrived.Hour);
  if (delivery > 0) {
    state.deliverySum += delivery;
    state.deliveryCount += 1;
  }
}

void ReadHeaderTexts(MessageBase& base, const WalkRules& rules, MessageScratch& scratch) {
  base.GetFrom(scratch.from);
  base.GetTo(scratch.to);
  base.GetSubject(scratch.subject);
  if (rules.group.CountsSubjects()) {
    if (rules.charsets != nullptr) {
      NormalizeSubject(scratch.subject, scratch.normalized, rules.charsets->lookAlikes());
    } else {
      NormalizeSubject(scratch.subject, scratch.normalized);
    }
  }
}

// Brings the header texts from the charset the message names into the report charset, cut
// to 255 bytes without splitting a character. False when the message is in the report charset
// already, so the texts read stand as they are.
bool ConvertHeaderTexts(std::string_view charset, const WalkRules& rules, MessageScratch& scratch) {
  MessageCharsets& charsets = *rules.charsets;
  const CharsetConverter* found = nullptr;
  for (const MessageScratch::NamedCharset& known : scratch.charsets) {
    if (known.name == charset) {
      found = known.converter;
      break;
    }
  }
  if (found == nullptr) {
    found = &charsets.For(charset, rules.echoTag);
    if (scratch.charsets.size() < kWalkCharsets) {
      scratch.charsets.push_back({std::string(charset), found});
    }
  }
  const CharsetConverter& converter = *found;
  if (converter.IsIdentity()) return false;
  auto convert = [&](std::string& text) {
    converter.Convert(text, scratch.converted);
    text.assign(scratch.converted, 0,
                CharacterBoundary(scratch.converted, kShortStringMax, charsets.measure()));
  };
  convert(scratch.from);
  if (rules.group.CountsRecipients()) convert(scratch.to);
  if (rules.group.CountsSubjects()) {
    convert(scratch.subject);
    NormalizeSubject(scratch.subject, scratch.normalized, charsets.lookAlikes());
  }
  return true;
}

// The lookups go to tables too large for the nearest caches: their first slots are loaded
// now and found there once the text has been counted.
LookupKeys PrefetchLookups(const EchoGroup& group, const MessageScratch& scratch,
                           const StatTables& tables) {
  LookupKeys keys;
  keys.from = TextIndex::HashOf(StoredKey(scratch.from));
  tables.personIndex.Prefetch(keys.from);
  if (group.CountsRecipients()) {
    keys.to = TextIndex::HashOf(StoredKey(scratch.to));
    tables.personIndex.Prefetch(keys.to);
  }
  if (group.CountsSubjects()) {
    keys.subject = TextIndex::HashOf(StoredKey(scratch.normalized));
    tables.subjectIndex.Prefetch(keys.subject);
  }
  return keys;
}

void CountWrittenDate(const MsgDateTime& written, const EchoGroup& group, StatTables& tables) {
  // An hour outside the day cannot have a counter; the message still counts elsewhere.
  if (group.CountsHours() && written.Hour < 24) tables.hours[written.Hour] += 1;
  FindOrAddDay(tables, written.Year, written.Month, written.Day).count += 1;
  tables.weekdays[DayOfWeek(written.Year, written.Month, written.Day)] += 1;
}

// The destination is taken from the same pass over the lines when the base keeps addresses
// only in kludges: a recipient such as "All" keeps zone 0 in echomail and would otherwise
// send every message to it through a second walk of the text.
TextCounts CountText(MessageBase& base, bool destInLines) {
  TextCounts counts;
  ClearAddress(counts.dest);
  if (const MessageText* text = base.GetText()) {
    TextLineCounts lines;
    CountTextLines(text->Bytes(), lines, destInLines ? &counts.dest : nullptr);
    counts.lines = lines.lines;
    counts.quoted = lines.quoted;
    counts.charset = lines.charset;
  }
  return counts;
}

void CountWriter(MessageBase& base, const MessageScratch& scratch, std::size_t fromKey,
                 const TextCounts& text, StatTables& tables) {
  PersonStat& writer = FindOrAddPerson(tables, scratch.from, fromKey);
  writer.written += 1;
  writer.bytes += base.GetTextSize();
  if (writer.address.zone == 0) {
    FtnAddress origin;
    base.GetOrigAddr(origin);
    writer.address = origin;
  }
  writer.lines += text.lines;
  writer.quoted += text.quoted;
}

void CountRecipient(MessageBase& base, const MessageScratch& scratch, std::size_t toKey,
                    bool destInLines, const TextCounts& text, StatTables& tables) {
  PersonStat& recipient = FindOrAddPerson(tables, scratch.to, toKey);
  recipient.received += 1;
  if (recipient.address.zone != 0) return;
  FtnAddress destination;
  if (destInLines) {
    destination = text.dest;
  } else {
    base.GetDestAddr(destination);
  }
  recipient.address = destination;
}

void CountMessage(MessageBase& base, const MsgDateTime& written, std::int32_t writtenDay,
                  const MsgDateTime& arrived, const WalkRules& rules, ScanCounts counts,
                  MessageScratch& scratch) {
  const EchoGroup& group = rules.group;
  StatTables& tables = counts.tables;
  counts.messages += 1;
  AddDeliveryTime(written, writtenDay, arrived, counts.state);
  ReadHeaderTexts(base, rules, scratch);
  LookupKeys keys = PrefetchLookups(group, scratch, tables);
  CountWrittenDate(written, group, tables);
  const bool destInLines = base.AddressesOnlyInKludges();
  const TextCounts text = CountText(base, destInLines);
  // The charset is known only once the kludges have been read; texts that change are looked
  // up anew.
  if (rules.charsets != nullptr && ConvertHeaderTexts(text.charset, rules, scratch)) {
    keys = PrefetchLookups(group, scratch, tables);
  }
  // Each person lookup may move records, so the writer is done before the recipient.
  CountWriter(base, scratch, keys.from, text, tables);
  if (group.CountsRecipients()) CountRecipient(base, scratch, keys.to, destInLines, text, tables);
  if (group.CountsSubjects()) FindOrAddSubject(tables, scratch.normalized, keys.subject).count += 1;
}

// A *.MSG file deleted since the directory was listed (a tosser purging meanwhile) is no
// message any more, where any other failure to open one is damage.
bool Vanished(const MessageBase& base) { return base.GetStatus() == msg::kErrorNotPresent; }

// Counts the messages of the walk from where the base stands up to (not including) the place
// stop. True when the walk reached stop, false when it ended before.
bool CountWalk(MessageBase& base, std::int64_t stop, const WalkRules& rules, ScanCounts counts,
               Spinner* spinner) {
  MessageScratch scratch;
  MsgDateTime written;
  MsgDateTime arrived;
  for (; base.SeekFound(); base.SeekNext()) {
    if (base.WalkPlace() >= stop) return true;
    if (base.OpenMessage()) {
      counts.state.readable += 1;
      base.GetDateWritten(written);
      base.GetDateArrived(arrived);
      const std::int32_t writtenDay = DayNumber(written.Year, written.Month, written.Day);
      // A slot a packer emptied, or a header nobody filled, holds no date written: it is not
      // a message, and counting it would stretch the day range back to 1970 or 1980.
      if (IsCalendarDate(written) && InPeriod(writtenDay, rules.group, rules.today)) {
        CountMessage(base, written, writtenDay, arrived, rules, counts, scratch);
        if (spinner != nullptr) spinner->Step();
      }
    } else if (!Vanished(base)) {
      counts.state.unreadable += 1;
    }
    base.CloseMessage();
  }
  return false;
}

// A walk shorter than this many places is counted on one thread: a second base and thread
// would cost more than they save.
constexpr std::int64_t kSplitMinimum = 1024;

// Whether the walk from first to end is worth sharing with a second thread (which then still
// needs a second opening of the base).
bool WantsSplit(const MessageBase& base, std::int64_t first, std::int64_t end,
                ScanThreads threads) {
  bool split = base.SeekFound() && end - first >= 2 && threads != ScanThreads::kOne;
  if (threads == ScanThreads::kAuto) {
    split = split && end - first >= kSplitMinimum && WorkerThread::Processors() > 1;
  }
  return split;
}

// Counts the walk from where base stands to its end, into the group's counts.
void CountEchoWalk(MessageBase& base, const EchoEntry& echo, EchoGroup& group,
                   const GroupScan& scan, Spinner& spinner) {
  const WalkRules rules{group, TodayDayNumber(scan.services.clock), scan.charsets, echo.tag};
  const ScanCounts counts{group.messageCount, scan.tables, scan.state};
  // A long walk is cut into stretches shared with a second thread that reads them with a
  // base of its own; its counts are added after this thread's, as one walk would count.
  const std::int64_t first = base.WalkPlace();
  const std::int64_t end = base.WalkEnd();
  std::unique_ptr<MessageBase> backBase;
  if (WantsSplit(base, first, end, scan.threads) &&
      OpenMessageBase(echo.areaSpec, backBase, nullptr, scan.services.clock, scan.files)) {
    const WalkCounter countWalk = [&rules](MessageBase& walked, std::int64_t stop, ScanCounts part,
                                           Spinner* partSpinner) {
      return CountWalk(walked, stop, rules, part, partSpinner);
    };
    CountSplitWalk(base, first, end, *backBase, countWalk, counts, spinner,
                   scan.threads == ScanThreads::kTwoInTurn);
  } else {
    CountWalk(base, std::numeric_limits<std::int64_t>::max(), rules, counts, &spinner);
  }
}

// Where the walk of an echo starts: after the number its data entry stored, when the group
// keeps one and the base still reaches it, else at the beginning.
std::int32_t ResumeNumber(const DataEntry* entry, MessageBase& base) {
  if (entry == nullptr) return 0;
  // A stored number above the base's highest means the base was renumbered or purged.
  if (static_cast<std::int64_t>(entry->lastHigh) <= base.GetHigh()) {
    return static_cast<std::int32_t>(entry->lastHigh);
  }
  return 0;
}

// One warning for the echo's base: what its header or index hides, and damaged messages
// where they outnumber the readable ones.
void WarnOfDamage(const EchoEntry& echo, std::string damage, std::int32_t readable,
                  std::int32_t unreadable, Diagnostics& diagnostics) {
  if (unreadable > readable) {
    if (!damage.empty()) damage += "; ";
    damage += Decimal(unreadable) + " of " + Decimal(readable + unreadable) +
              " messages are damaged and not counted";
  }
  if (damage.empty()) return;
  diagnostics.Warning(echo.tag, "message base " + echo.areaSpec.substr(1) + ": " + damage);
}

}  // namespace

void RecomputeGroupTotals(EchoGroup& group, const StatTables& tables, const GroupScanState& state) {
  if (!tables.days.empty()) {
    group.firstDay = tables.days.front();
    group.lastDay = tables.days.back();
    group.dayCount = DayNumber(group.lastDay->year, group.lastDay->month, group.lastDay->day) -
                     DayNumber(group.firstDay->year, group.firstDay->month, group.firstDay->day) +
                     1;
  } else {
    group.dayCount = 0;
    group.firstDay.reset();
    group.lastDay.reset();
  }
  group.personCount = static_cast<std::int32_t>(tables.persons.size());
  if (state.deliverySum > 0) group.averageDelivery = state.deliverySum / state.deliveryCount;
  group.averagePerDay =
      group.dayCount > 0 ? group.messageCount / group.dayCount : group.messageCount;
}

void ScanEcho(const EchoEntry& echo, EchoGroup& group, const GroupScan& scan) {
  Console& console = scan.services.console;
  Diagnostics& diagnostics = scan.services.diagnostics;
  if (echo.areaSpec.empty()) {
    console.Write(scan.language.LanguageText(kNoBaseText) + "\r\n");
    diagnostics.Error(echo.tag, "the tosser configuration names no message base");
    return;
  }
  std::unique_ptr<MessageBase> base;
  std::int32_t status = 0;
  if (!OpenMessageBase(echo.areaSpec, base, &status, scan.services.clock, scan.files)) {
    console.Write(scan.language.LanguageText(kBaseNotOpenedText) + "\r\n");
    diagnostics.Error(echo.tag,
                      "cannot open the message base: " + OpenFailureText(echo.areaSpec, status));
    RecomputeGroupTotals(group, scan.tables, scan.state);
    return;
  }
  scan.state.anyOpened = true;
  const std::string damage = base->DescribeDamage();
  const std::int32_t readableBefore = scan.state.readable;
  const std::int32_t unreadableBefore = scan.state.unreadable;
  {
    Spinner spinner(console);
    DataEntry* entry =
        group.useDataFile ? &FindOrCreateDataEntry(scan.dataEntries, UpperCase(echo.tag)) : nullptr;
    base->SeekFrom(ResumeNumber(entry, *base));
    CountEchoWalk(*base, echo, group, scan, spinner);
    if (entry != nullptr) {
      // Positions keep all 32 bits (the data file stores them whole).
      entry->lastHigh = static_cast<std::uint32_t>(base->GetHigh());
    }
  }
  CloseMessageBase(base);
  WarnOfDamage(echo, damage, scan.state.readable - readableBefore,
               scan.state.unreadable - unreadableBefore, scan.services.diagnostics);
  RecomputeGroupTotals(group, scan.tables, scan.state);
}

}  // namespace tarnik
