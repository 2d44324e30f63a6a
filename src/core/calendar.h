#pragma once

#include <cstdint>

namespace tarnik {

class Clock;

// Julian day number of a proleptic Gregorian date; 1970-01-01 is 2440588.
std::int32_t DayNumber(std::int32_t year, std::int32_t month, std::int32_t day);
void DateOfDayNumber(std::int32_t n, std::int32_t& day, std::int32_t& month, std::int32_t& year);
// Day number of the clock's local date.
std::int32_t TodayDayNumber(const Clock& clock);

// Gregorian day of the week, 0 = Sunday .. 6 = Saturday.
int DayOfWeek(std::int32_t year, std::int32_t month, std::int32_t day);

}  // namespace tarnik
