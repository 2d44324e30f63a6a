#include "scan/split_walk.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>

#include "common/worker_thread.h"
#include "msgbase/message_base.h"
#include "scan/message_analysis.h"

namespace tarnik {
namespace {

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
void CountBackStretches(SplitWalk& walk, MessageBase& base, const WalkCounter& countWalk,
                        std::optional<PartCounts>& suffix) {
  std::int64_t k = 0;
  while (walk.TakeBack(k)) {
    PartCounts part;
    base.SeekPlace(walk.StretchStart(k));
    const bool reached = countWalk(base, walk.StretchStop(k), part.Counts(), nullptr);
    if (suffix && reached) AddCounts(part.Counts(), *suffix);
    suffix.emplace(std::move(part));
  }
}

}  // namespace

void CountSplitWalk(MessageBase& base, std::int64_t first, std::int64_t end, MessageBase& backBase,
                    const WalkCounter& countWalk, ScanCounts counts, Spinner& spinner,
                    bool inTurn) {
  SplitWalk walk(first, end);
  std::optional<PartCounts> back;
  // This side takes the first stretch before the second thread can take any: the base
  // already stands at it. Without a second thread this side takes every stretch.
  std::int64_t k = 0;
  bool reached = walk.TakeFront(k);
  WorkerThread worker;
  worker.Start([&] { CountBackStretches(walk, backBase, countWalk, back); });
  if (inTurn) worker.Join();
  while (reached) {
    reached = countWalk(base, walk.StretchStop(k), counts, &spinner);
    if (!reached) walk.Stop();
    if (reached && !walk.TakeFront(k)) break;
  }
  worker.Join();
  if (reached && back) AddCounts(counts, *back);
}

}  // namespace tarnik
