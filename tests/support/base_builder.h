#pragma once

#include <string>
#include <vector>

#include "core/ftn_address.h"
#include "msgbase/message_base.h"

namespace tarnik::testing {

// One message to store through a base's writing side.
struct TestMessage {
  std::string from = "Writer";
  std::string to = "All";
  std::string subject = "Subject";
  MsgDateTime written{12, 0, 0, 0, 1, 3, 2024};
  MsgDateTime arrived{12, 0, 0, 0, 1, 3, 2024};
  // Text lines without line ends; kludge lines begin with byte 1.
  std::vector<std::string> lines;
};

// Creates a base from an area specification ("S" + path, "J" + path, "F" + directory) and
// writes the messages through its writing side. False when anything fails.
bool WriteTestBase(const std::string& spec, const std::vector<TestMessage>& messages);

// MsgDateTime of a date and time (Sec100 0).
MsgDateTime At(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);

}  // namespace tarnik::testing
