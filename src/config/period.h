#pragma once

#include <cstdint>

namespace tarnik {

class EchoGroup;

// True when a message written on the given day number lies in the group's statistics period,
// with today's day number as given. A group without statperiod selects every message.
bool InPeriod(std::int32_t messageDay, const EchoGroup& group, std::int32_t today);

}  // namespace tarnik
