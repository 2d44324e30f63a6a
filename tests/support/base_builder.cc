#include "support/base_builder.h"

namespace tarnik::testing {

MsgDateTime At(int year, int month, int day, int hour, int minute, int second) {
  MsgDateTime date;
  date.Year = static_cast<std::uint16_t>(year);
  date.Month = static_cast<std::uint16_t>(month);
  date.Day = static_cast<std::uint16_t>(day);
  date.Hour = static_cast<std::uint16_t>(hour);
  date.Min = static_cast<std::uint16_t>(minute);
  date.Sec = static_cast<std::uint16_t>(second);
  return date;
}

bool WriteTestBase(const std::string& spec, const std::vector<TestMessage>& messages) {
  std::int32_t error = 0;
  std::unique_ptr<MessageBase> base = CreateMessageBase(spec, &error);
  if (!base || !base->Create(spec.substr(1))) return false;
  for (const TestMessage& m : messages) {
    if (!base->NewMessage()) return false;
    base->SetMsgType(1);
    base->SetFrom(m.from);
    base->SetTo(m.to);
    base->SetSubject(m.subject);
    base->SetDateWritten(m.written);
    base->SetDateArrived(m.arrived);
    for (const std::string& line : m.lines) base->WriteLine(line);
    if (!base->WriteMessage()) return false;
    base->CloseMessage();
  }
  base->Close();
  return true;
}

}  // namespace tarnik::testing
