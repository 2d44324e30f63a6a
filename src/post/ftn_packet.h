#pragma once

#include <cstdint>
#include <string>

#include "common/clock.h"
#include "core/ftn_address.h"
#include "msgbase/msg_date_time.h"

namespace tarnik {

struct PacketHeaderFields {
  FtnAddress orig;
  FtnAddress dest;
  LocalTime created;
  std::string password;  // at most 8 bytes are written
};

struct PackedMessageFields {
  FtnAddress orig;  // zone and point are not stored in a packed message
  FtnAddress dest;
  std::uint16_t attribute = 0;
  MsgDateTime written;
  std::string to;       // at most 35 bytes are written
  std::string from;     // at most 35 bytes are written
  std::string subject;  // at most 71 bytes are written
  std::string text;     // lines ended by CR
};

// The 58 bytes of a type 2+ packet header.
std::string EncodePacketHeader(const PacketHeaderFields& header);
// One packed message. A zero byte cannot be stored inside a field: each field ends at its
// first one.
std::string EncodePackedMessage(const PackedMessageFields& message);

}  // namespace tarnik
