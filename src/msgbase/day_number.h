#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

class Clock;
struct MsgDateTime;

// Julian day number of a proleptic Gregorian date; 1970-01-01 is 2440588.
std::int32_t DayNumber(std::int32_t year, std::int32_t month, std::int32_t day);
void DateOfDayNumber(std::int32_t n, std::int32_t& day, std::int32_t& month, std::int32_t& year);
// Day number of the clock's local date.
std::int32_t TodayDayNumber(const Clock& clock);

// Packed DOS date and time words, as Squish and *.MSG headers store them.
void DecodeDosDateTime(std::uint16_t dosDate, std::uint16_t dosTime, MsgDateTime& date);
void EncodeDosDateTime(const MsgDateTime& date, std::uint16_t& dosDate, std::uint16_t& dosTime);
// The FTS-0001 text "01 Jan 86  02:34:56" that *.MSG headers and Squish's FTSC date field
// hold, written by the writing side.
std::string FormatMsgDateTime(const MsgDateTime& date);

// Decimal text with a leading "0" when it has a single digit (7 -> "07", 123 -> "123").
std::string TwoDigits(std::int64_t n);
// "," between groups of three digits from the right; a leading "-" stays in front.
std::string GroupThousands(std::string_view text);

}  // namespace tarnik
