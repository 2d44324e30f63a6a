#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

class Clock;

// Julian day number of a proleptic Gregorian date; 1970-01-01 is 2440588.
std::int32_t DayNumber(std::int32_t year, std::int32_t month, std::int32_t day);
void DateOfDayNumber(std::int32_t n, std::int32_t& day, std::int32_t& month, std::int32_t& year);
// Day number of the clock's local date.
std::int32_t TodayDayNumber(const Clock& clock);

// Decimal text with a leading "0" when it has a single digit (7 -> "07", 123 -> "123").
std::string TwoDigits(std::int64_t n);
// "," between groups of three digits from the right; a leading "-" stays in front.
std::string GroupThousands(std::string_view text);

}  // namespace tarnik
