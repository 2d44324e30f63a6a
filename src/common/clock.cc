#include "common/clock.h"

#include <sys/time.h>

#include <ctime>

namespace tarnik {

LocalTime SystemClock::Now() const {
  timeval tv{};
  ::gettimeofday(&tv, nullptr);
  std::time_t seconds = tv.tv_sec;
  std::tm parts{};
  ::localtime_r(&seconds, &parts);
  LocalTime now;
  now.year = parts.tm_year + 1900;
  now.month = parts.tm_mon + 1;
  now.day = parts.tm_mday;
  now.hour = parts.tm_hour;
  now.minute = parts.tm_min;
  now.second = parts.tm_sec;
  now.hundredths = static_cast<int>(tv.tv_usec / 10000);
  now.utcOffsetMinutes = static_cast<int>(parts.tm_gmtoff / 60);
  return now;
}

}  // namespace tarnik
