#pragma once

namespace tarnik {

// Local date and time as the program sees "now".
struct LocalTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int hundredths = 0;
  // Minutes east of UTC in effect at that moment (daylight saving included).
  int utcOffsetMinutes = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
};

class SystemClock final : public Clock {
 public:
  LocalTime Now() const override;
};

// Test double: always the same moment (tests that need the clock to move call Set).
class FixedClock final : public Clock {
 public:
  explicit FixedClock(LocalTime now) : now_(now) {}
  LocalTime Now() const override { return now_; }
  void Set(LocalTime now) { now_ = now; }

 private:
  LocalTime now_;
};

}  // namespace tarnik
