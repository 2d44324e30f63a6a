#include "support/base_inspect.h"

#include <cstdio>

namespace tarnik::testing {

std::string Render(const MsgDateTime& d) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", d.Year, d.Month, d.Day,
                d.Hour, d.Min, d.Sec);
  return buffer;
}

std::vector<std::int32_t> Scan(MessageBase& base) {
  std::vector<std::int32_t> numbers;
  for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) numbers.push_back(base.GetCurrent());
  return numbers;
}

std::string DateWritten(MessageBase& base) {
  MsgDateTime date;
  base.GetDateWritten(date);
  return Render(date);
}

std::string DateArrived(MessageBase& base) {
  MsgDateTime date;
  base.GetDateArrived(date);
  return Render(date);
}

std::string Text(MessageBase& base) {
  return base.GetText() ? std::string(base.GetText()->Bytes()) : "<none>";
}

}  // namespace tarnik::testing
