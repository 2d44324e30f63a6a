#include "msgbase/day_number.h"

#include <array>
#include <cstdio>

#include "common/clock.h"
#include "common/text.h"
#include "msgbase/message_base.h"

namespace tarnik {

namespace {

constexpr std::array<std::string_view, 12> kMonthText = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::int32_t DayNumber(std::int32_t year, std::int32_t month, std::int32_t day) {
  std::int64_t y = year, m = month;
  if (m < 3) {
    y -= 1;
    m += 12;
  }
  std::int64_t result =
      ((m - 3) * 153 + 2) / 5 + day + 1721119 + ((y % 100) * 1461) / 4 + ((y / 100) * 146097) / 4;
  return static_cast<std::int32_t>(result);
}

void DateOfDayNumber(std::int32_t n, std::int32_t& day, std::int32_t& month, std::int32_t& year) {
  std::int64_t t = (static_cast<std::int64_t>(n) - 1721119) * 4 - 1;
  std::int64_t r = (t % 146097) | 3;
  std::int64_t y = r / 1461;
  std::int64_t u = ((r % 1461) + 4) / 4 * 5 - 3;
  std::int64_t m = u / 153;
  if (m > 9) {
    y += 1;
    m -= 12;
  }
  year = static_cast<std::int32_t>(y + (t / 146097) * 100);
  month = static_cast<std::int32_t>(m + 3);
  day = static_cast<std::int32_t>(((u % 153) + 5) / 5);
}

std::int32_t TodayDayNumber(const Clock& clock) {
  LocalTime now = clock.Now();
  return DayNumber(now.year, now.month, now.day);
}

std::string TwoDigits(std::int64_t n) {
  std::string text = Decimal(n);
  if (text.size() == 1) text.insert(text.begin(), '0');
  return text;
}

std::string GroupThousands(std::string_view text) {
  std::string reversed;
  int count = 0;
  for (auto it = text.rbegin(); it != text.rend(); ++it) {
    reversed += *it;
    if (++count % 3 == 0) reversed += ',';
  }
  std::string result(reversed.rbegin(), reversed.rend());
  bool negative = !result.empty() && result[0] == '-';
  if (negative) result.erase(0, 1);
  while (!result.empty() && result[0] == ',') result.erase(0, 1);
  if (negative) result.insert(result.begin(), '-');
  return result;
}

void DecodeDosDateTime(std::uint16_t dosDate, std::uint16_t dosTime, MsgDateTime& date) {
  date.Day = dosDate & 0x1F;
  date.Month = (dosDate >> 5) & 0x0F;
  date.Year = static_cast<std::uint16_t>((dosDate >> 9) + 1980);
  date.Sec = static_cast<std::uint16_t>((dosTime & 0x1F) * 2);
  date.Min = (dosTime >> 5) & 0x3F;
  date.Hour = dosTime >> 11;
}

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
  const int year = date.Year >= 2000 ? date.Year - 2000 : date.Year - 1900;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%02d %.*s %02d  %02d:%02d:%02d", date.Day,
                static_cast<int>(month.size()), month.data(), year, date.Hour, date.Min, date.Sec);
  return buffer;
}

}  // namespace tarnik
