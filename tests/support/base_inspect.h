#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "msgbase/message_base.h"

namespace tarnik::testing {

// "YYYY-MM-DD hh:mm:ss" of a message date.
std::string Render(const MsgDateTime& date);
// The numbers a full walk from SeekFrom(0) visits.
std::vector<std::int32_t> Scan(MessageBase& base);
// The open message's date written (arrived) as Render writes it.
std::string DateWritten(MessageBase& base);
std::string DateArrived(MessageBase& base);
// The open message's text, or "<none>".
std::string Text(MessageBase& base);

}  // namespace tarnik::testing
