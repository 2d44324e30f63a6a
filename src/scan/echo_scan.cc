#include "scan/echo_scan.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "common/cp866.h"
#include "common/worker_thread.h"
#include "config/period.h"
#include "core/calendar.h"
#include "core/language_table.h"
#include "msgbase/message_base.h"
#include "scan/message_analysis.h"
#include "scan/spinner.h"

namespace tarnik {
namespace {

constexpr std::int32_t kBaseNotOpenedText = 30048;
constexpr std::int32_t kNoBaseText = 30049;

// Reused buffers, so counting a message allocates nothing once they have grown.
struct MessageScratch {
  std::string from;
  std::string to;
  std::string subject;
  std::string normalized;
};

// What one part of a scan counts: the group's figures and tables, or a second part's own
// until they are added to the group's.
struct ScanCounts {
  std::int32_t& messages;
  StatTables& tables;
  GroupScanState& state;
};

void CountMessage(MessageBase& base, const MsgDateTime& written, std::int32_t writtenDay,
                  const MsgDateTime& arrived, const EchoGroup& group, ScanCounts counts,
                  MessageScratch& scratch) {
  StatTables& tables = counts.tables;
  GroupScanState& state = counts.state;
  counts.messages += 1;

  // A *.MSG date-arrived field that no tosser filled holds no date (crashmail leaves it 0 in
  // echomail and keeps zone and point words there in netmail): such a message has no
  // delivery time, rather than one of decades.
  if (arrived.Month >= 1 && arrived.Month <= 12 && arrived.Day >= 1) {
    std::int32_t delivery =
        DeliveryHours(writtenDay, written.Hour, DayNumber(arrived.Year, arrived.Month, arrived.Day),
                      arrived.Hour);
    if (delivery > 0) {
      state.deliverySum += delivery;
      state.deliveryCount += 1;
    }
  }

  base.GetFrom(scratch.from);
  base.GetTo(scratch.to);
  base.GetSubject(scratch.subject);
  // The three lookups go to tables too large for the nearest caches: their first slots are
  // loaded now and found there once the text has been counted.
  const bool recipients = group.CountsRecipients();
  const std::size_t fromHash = TextIndex::HashOf(StoredKey(scratch.from));
  tables.personIndex.Prefetch(fromHash);
  std::size_t toHash = 0;
  if (recipients) {
    toHash = TextIndex::HashOf(StoredKey(scratch.to));
    tables.personIndex.Prefetch(toHash);
  }
  std::size_t subjectHash = 0;
  if (group.CountsSubjects()) {
    NormalizeSubject(scratch.subject, scratch.normalized);
    subjectHash = TextIndex::HashOf(StoredKey(scratch.normalized));
    tables.subjectIndex.Prefetch(subjectHash);
  }

  // An hour outside the day cannot have a counter; the message still counts elsewhere.
  if (group.CountsHours() && written.Hour < 24) tables.hours[written.Hour] += 1;

  FindOrAddDay(tables, written.Year, written.Month, written.Day).count += 1;
  tables.weekdays[DayOfWeek(written.Year, written.Month, written.Day)] += 1;

  std::int32_t lines = 0;
  std::int32_t quoted = 0;
  // The destination is taken from the same pass over the lines when the base keeps addresses
  // only in kludges: a recipient such as "All" keeps zone 0 in echomail and would otherwise
  // send every message to it through a second walk of the text.
  const bool destInLines = base.AddressesOnlyInKludges();
  FtnAddress lineDest;
  ClearAddress(lineDest);
  if (const MessageText* text = base.GetText()) {
    if (destInLines) {
      CountTextLines(text->Bytes(), lines, quoted, lineDest);
    } else {
      CountTextLines(text->Bytes(), lines, quoted);
    }
  }
  PersonStat* writer = &FindOrAddPerson(tables, scratch.from, fromHash);
  writer->written += 1;
  writer->bytes += base.GetTextSize();
  if (writer->address.zone == 0) {
    FtnAddress origin;
    base.GetOrigAddr(origin);
    writer->address = origin;
  }
  writer->lines += lines;
  writer->quoted += quoted;

  if (recipients) {
    // The lookup may move records, so the writer is not touched after this point.
    PersonStat& recipient = FindOrAddPerson(tables, scratch.to, toHash);
    recipient.received += 1;
    if (recipient.address.zone == 0) {
      FtnAddress destination;
      if (destInLines) {
        destination = lineDest;
      } else {
        base.GetDestAddr(destination);
      }
      recipient.address = destination;
    }
  }

  if (group.CountsSubjects()) FindOrAddSubject(tables, scratch.normalized, subjectHash).count += 1;
}

// Counts the messages of the walk from where the base stands up to (not including) the place
// stop. True when the walk reached stop, false when it ended before.
bool CountWalk(MessageBase& base, std::int64_t stop, const EchoGroup& group, std::int32_t today,
               ScanCounts counts, Spinner* spinner) {
  MessageScratch scratch;
  MsgDateTime written;
  MsgDateTime arrived;
  for (; base.SeekFound(); base.SeekNext()) {
    if (base.WalkPlace() >= stop) return true;
    if (base.OpenMessage()) {
      base.GetDateWritten(written);
      base.GetDateArrived(arrived);
      const std::int32_t writtenDay = DayNumber(written.Year, written.Month, written.Day);
      if (InPeriod(writtenDay, group, today)) {
        CountMessage(base, written, writtenDay, arrived, group, counts, scratch);
        if (spinner != nullptr) spinner->Step();
      }
    }
    base.CloseMessage();
  }
  return false;
}

// The counts of one stretch of a walk, kept apart until they are added to the earlier ones.
struct PartCounts {
  std::int32_t messages = 0;
  StatTables tables;
  GroupScanState state;
  ScanCounts Counts() { return ScanCounts{messages, tables, state}; }
};

// Adds what a later stretch of a walk counted to the counts of the stretch before it, so the
// result is what one walk over both gives: persons by name (an address with a zone is kept,
// else the later one is what the walk would have left), subjects appended in the order they
// first appear, days by date.
void AddCounts(ScanCounts into, const PartCounts& later) {
  into.messages += later.messages;
  into.state.deliverySum += later.state.deliverySum;
  into.state.deliveryCount += later.state.deliveryCount;
  StatTables& tables = into.tables;
  for (std::size_t i = 0; i < tables.hours.size(); ++i) tables.hours[i] += later.tables.hours[i];
  for (std::size_t i = 0; i < tables.weekdays.size(); ++i) {
    tables.weekdays[i] += later.tables.weekdays[i];
  }
  for (const DayStat& day : later.tables.days) {
    FindOrAddDay(tables, day.year, day.month, day.day).count += day.count;
  }
  for (const PersonStat& person : later.tables.persons) {
    PersonStat& sum = FindOrAddPerson(tables, person.name);
    sum.written += person.written;
    sum.received += person.received;
    sum.bytes += person.bytes;
    sum.lines += person.lines;
    sum.quoted += person.quoted;
    if (sum.address.zone == 0) sum.address = person.address;
  }
  for (const SubjectStat& subject : later.tables.subjects) {
    FindOrAddSubject(tables, subject.subject).count += subject.count;
  }
}

// A walk shorter than this many places is counted on one thread: a second base and thread
// would cost more than they save.
constexpr std::int64_t kSplitMinimum = 1024;
// Stretches of a split walk. This thread counts them from the front, the second thread from
// the back, until they meet, so neither waits for the other when one runs slower.
constexpr std::int64_t kStretches = 8;

// The walk from where base stands, cut into stretches of places.
class SplitWalk {
 public:
  SplitWalk(std::int64_t first, std::int64_t end) : first_(first) {
    count_ = std::min(kStretches, end - first);
    length_ = end - first;
    back_ = count_ - 1;
  }
  std::int64_t StretchStart(std::int64_t k) const { return first_ + length_ * k / count_; }
  // The last stretch stops at the end the first base saw when it was opened, so messages a
  // tosser adds meanwhile are left to the next run, as one walk leaves them.
  std::int64_t StretchStop(std::int64_t k) const { return StretchStart(k + 1); }
  bool TakeFront(std::int64_t& k) { return Take(k, true); }
  bool TakeBack(std::int64_t& k) { return Take(k, false); }
  // After the front side's walk ended early, no later stretch is part of the walk.
  void Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
  }

 private:
  bool Take(std::int64_t& k, bool front) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_ || front_ > back_) return false;
    k = front ? front_++ : back_--;
    return true;
  }

  std::int64_t first_;
  std::int64_t length_;
  std::int64_t count_;
  std::mutex mutex_;
  std::int64_t front_ = 0;
  std::int64_t back_;
  bool stopped_ = false;
};

// The second thread's side: stretches from the back, each counted with its own tables and
// put before the stretches after it, which count only where it reached its end (a Squish
// walk ends at an index record without a number).
void CountBackStretches(SplitWalk& walk, MessageBase& base, const EchoGroup& group,
                        std::int32_t today, std::optional<PartCounts>& suffix) {
  std::int64_t k = 0;
  while (walk.TakeBack(k)) {
    PartCounts part;
    base.SeekPlace(walk.StretchStart(k));
    const bool reached = CountWalk(base, walk.StretchStop(k), group, today, part.Counts(), nullptr);
    if (suffix && reached) AddCounts(part.Counts(), *suffix);
    suffix.emplace(std::move(part));
  }
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

void ScanEcho(const EchoEntry& echo, EchoGroup& group, StatTables& tables, GroupScanState& state,
              std::vector<DataEntry>& dataEntries, const LanguageTable& language, Services services,
              ScanThreads threads) {
  if (echo.areaSpec.empty()) {
    services.console.Write(language.LanguageText(kNoBaseText) + "\r\n");
    return;
  }
  std::unique_ptr<MessageBase> base;
  if (!OpenMessageBase(echo.areaSpec, base, nullptr, services.clock)) {
    services.console.Write(language.LanguageText(kBaseNotOpenedText) + "\r\n");
    RecomputeGroupTotals(group, tables, state);
    return;
  }
  state.anyOpened = true;
  {
    Spinner spinner(services.console);
    DataEntry* entry = nullptr;
    std::int64_t start = 0;
    if (group.useDataFile) {
      entry = &FindOrCreateDataEntry(dataEntries, UpperCase(echo.tag));
      // A stored number above the base's highest means the base was renumbered or purged.
      if (static_cast<std::int64_t>(entry->lastHigh) <= base->GetHigh()) start = entry->lastHigh;
    }
    const std::int32_t today = TodayDayNumber(services.clock);
    const ScanCounts counts{group.messageCount, tables, state};
    base->SeekFrom(static_cast<std::int32_t>(start));

    // A long walk is cut into stretches shared with a second thread that reads them with a
    // base of its own; its counts are added after this thread's, as one walk would count.
    const std::int64_t first = base->WalkPlace();
    const std::int64_t end = base->WalkEnd();
    bool split = base->SeekFound() && end - first >= 2 && threads != ScanThreads::kOne;
    if (threads == ScanThreads::kAuto) {
      split = split && end - first >= kSplitMinimum && WorkerThread::Processors() > 1;
    }
    std::unique_ptr<MessageBase> backBase;
    if (split) split = OpenMessageBase(echo.areaSpec, backBase, nullptr, services.clock);
    if (!split) {
      CountWalk(*base, std::numeric_limits<std::int64_t>::max(), group, today, counts, &spinner);
    } else {
      SplitWalk walk(first, end);
      std::optional<PartCounts> back;
      // This side takes the first stretch before the second thread can take any: the base
      // already stands at it. Without a second thread this side takes every stretch.
      std::int64_t k = 0;
      bool reached = walk.TakeFront(k);
      WorkerThread worker;
      worker.Start([&] { CountBackStretches(walk, *backBase, group, today, back); });
      if (threads == ScanThreads::kTwoInTurn) worker.Join();
      while (reached) {
        reached = CountWalk(*base, walk.StretchStop(k), group, today, counts, &spinner);
        if (!reached) walk.Stop();
        if (reached && !walk.TakeFront(k)) break;
      }
      worker.Join();
      if (reached && back) AddCounts(counts, *back);
    }
    if (entry != nullptr) {
      // Positions keep all 32 bits (the data file stores them whole).
      entry->lastHigh = static_cast<std::uint32_t>(base->GetHigh());
    }
  }
  CloseMessageBase(base);
  RecomputeGroupTotals(group, tables, state);
}

}  // namespace tarnik
