#include "msgbase/msg_date_time.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "common/clock.h"

namespace tarnik {

namespace {

constexpr std::array<std::string_view, 12> kMonthText = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

MsgDateTime MsgDateTimeNow(const Clock& clock) {
  LocalTime now = clock.Now();
  MsgDateTime date;
  date.Hour = static_cast<std::uint16_t>(now.hour);
  date.Min = static_cast<std::uint16_t>(now.minute);
  date.Sec = static_cast<std::uint16_t>(now.second);
  date.Sec100 = static_cast<std::uint16_t>(now.hundredths);
  date.Day = static_cast<std::uint16_t>(now.day);
  date.Month = static_cast<std::uint16_t>(now.month);
  date.Year = static_cast<std::uint16_t>(now.year);
  return date;
}

// Seconds are stored halved, so a decoded time has even seconds.
void DecodeDosDateTime(std::uint16_t dosDate, std::uint16_t dosTime, MsgDateTime& date) {
  date.Day = dosDate & 0x1F;
  date.Month = (dosDate >> 5) & 0x0F;
  date.Year = static_cast<std::uint16_t>((dosDate >> 9) + 1980);
  date.Sec = static_cast<std::uint16_t>((dosTime & 0x1F) * 2);
  date.Min = (dosTime >> 5) & 0x3F;
  date.Hour = dosTime >> 11;
}

// The one DOS date encoder of both formats that store DOS dates. The year counts from 1980 in
// seven bits: an earlier year is stored as 1980 rather than wrapped to the 2100s, where it
// would sort after every real date; later than 2107 wraps, as the field cannot say more.
void EncodeDosDateTime(const MsgDateTime& date, std::uint16_t& dosDate, std::uint16_t& dosTime) {
  const unsigned year = date.Year >= 1980 ? date.Year - 1980u : 0u;
  dosDate = static_cast<std::uint16_t>(((year & 0x7F) << 9) | ((date.Month & 0x0F) << 5) |
                                       (date.Day & 0x1F));
  dosTime = static_cast<std::uint16_t>(((date.Hour & 0x1F) << 11) | ((date.Min & 0x3F) << 5) |
                                       ((date.Sec / 2) & 0x1F));
}

std::string FormatMsgDateTime(const MsgDateTime& date) {
  const std::string_view month =
      date.Month >= 1 && date.Month <= 12 ? kMonthText[date.Month - 1] : "???";
  // The field holds two year digits; ParseMsgDateTime reads them back to the same century.
  const int year = date.Year >= 2000 ? date.Year - 2000 : date.Year - 1900;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%02d %.*s %02d  %02d:%02d:%02d", date.Day,
                static_cast<int>(month.size()), month.data(), year, date.Hour, date.Min, date.Sec);
  return buffer;
}

}  // namespace tarnik
