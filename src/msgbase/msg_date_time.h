#pragma once

#include <cstdint>
#include <string>

namespace tarnik {

class Clock;

// A message date and time. The format conversions set every field but Sec100.
struct MsgDateTime {
  std::uint16_t Hour = 0;
  std::uint16_t Min = 0;
  std::uint16_t Sec = 0;
  std::uint16_t Sec100 = 0;
  std::uint16_t Day = 0;
  std::uint16_t Month = 0;
  std::uint16_t Year = 0;
};

// True when the date names a day: month 1 to 12 and a day from 1. A date field that no writer
// filled (zero words, a JAM date of 0) does not.
inline bool IsCalendarDate(const MsgDateTime& date) {
  return date.Month >= 1 && date.Month <= 12 && date.Day >= 1;
}

// The clock's local date and time as a message date.
MsgDateTime MsgDateTimeNow(const Clock& clock);

// Packed DOS date and time words, as Squish and *.MSG headers store them.
void DecodeDosDateTime(std::uint16_t dosDate, std::uint16_t dosTime, MsgDateTime& date);
void EncodeDosDateTime(const MsgDateTime& date, std::uint16_t& dosDate, std::uint16_t& dosTime);
// The FTS-0001 text "01 Jan 86  02:34:56" that *.MSG headers and Squish's FTSC date field
// hold, written by the writing side.
std::string FormatMsgDateTime(const MsgDateTime& date);

}  // namespace tarnik
