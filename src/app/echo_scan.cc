#include "app/echo_scan.h"

#include "app/language_file.h"
#include "app/message_analysis.h"
#include "app/spinner.h"
#include "common/cp866.h"
#include "config/period.h"
#include "msgbase/day_number.h"
#include "msgbase/message_base.h"

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

void CountMessage(MessageBase& base, const MsgDateTime& written, const MsgDateTime& arrived,
                  EchoGroup& group, StatTables& tables, GroupScanState& state,
                  MessageScratch& scratch) {
  group.messageCount += 1;

  // A *.MSG date-arrived field that no tosser filled holds no date (crashmail leaves it 0 in
  // echomail and keeps zone and point words there in netmail): such a message has no
  // delivery time, rather than one of decades.
  if (arrived.Month >= 1 && arrived.Month <= 12 && arrived.Day >= 1) {
    std::int32_t delivery =
        DeliveryHours(DayNumber(written.Year, written.Month, written.Day), written.Hour,
                      DayNumber(arrived.Year, arrived.Month, arrived.Day), arrived.Hour);
    if (delivery > 0) {
      state.deliverySum += delivery;
      state.deliveryCount += 1;
    }
  }

  base.GetFrom(scratch.from);
  base.GetTo(scratch.to);
  base.GetSubject(scratch.subject);

  // An hour outside the day cannot have a counter; the message still counts elsewhere.
  if (group.byTime && written.Hour < 24) tables.hours[written.Hour] += 1;

  FindOrAddDay(tables, written.Year, written.Month, written.Day).count += 1;
  tables.weekdays[DayOfWeek(written.Year, written.Month, written.Day)] += 1;

  PersonStat* writer = &FindOrAddPerson(tables, scratch.from);
  writer->written += 1;
  writer->bytes += base.GetTextSize();
  if (writer->address.zone == 0) {
    FtnAddress origin;
    base.GetOrigAddr(origin);
    writer->address = origin;
  }

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
  writer->lines += lines;
  writer->quoted += quoted;

  if (group.byTo > 0 || group.byTotal > 0) {
    // The lookup may move records, so the writer is not touched after this point.
    PersonStat& recipient = FindOrAddPerson(tables, scratch.to);
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

  if (group.bySubjects > 0) {
    NormalizeSubject(scratch.subject, scratch.normalized);
    FindOrAddSubject(tables, scratch.normalized).count += 1;
  }
}

}  // namespace

void RecomputeGroupTotals(EchoGroup& group, const StatTables& tables,
                          const GroupScanState& state) {
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
              std::vector<DataEntry>& dataEntries, const LanguageTable& language,
              Services services) {
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
    std::int32_t today = TodayDayNumber(services.clock);
    MessageScratch scratch;
    MsgDateTime written;
    MsgDateTime arrived;
    for (base->SeekFrom(static_cast<std::int32_t>(start)); base->SeekFound(); base->SeekNext()) {
      if (base->OpenMessage()) {
        base->GetDateWritten(written);
        base->GetDateArrived(arrived);
        if (InPeriod(DayNumber(written.Year, written.Month, written.Day), group, today)) {
          CountMessage(*base, written, arrived, group, tables, state, scratch);
          spinner.Step();
        }
      }
      base->CloseMessage();
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
