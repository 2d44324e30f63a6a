#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/ftn_address.h"

namespace tarnik {

class Clock;

// Kludge names as they stand at the start of a line; matching is byte-exact over the length.
// Every place that reads or writes a kludge by name uses these.
inline constexpr std::string_view kKludgeMsgId = "\x01MSGID:";
inline constexpr std::string_view kKludgeReply = "\x01REPLY:";
inline constexpr std::string_view kKludgePid = "\x01PID:";
inline constexpr std::string_view kKludgeFlags =
    "\x01"
    "FLAGS:";
inline constexpr std::string_view kKludgeVia = "\x01Via ";
inline constexpr std::string_view kKludgeSeenBy = "SEEN-BY: ";
inline constexpr std::string_view kKludgePath = "\x01PATH:";
inline constexpr std::string_view kKludgeIntl = "\x01INTL";
inline constexpr std::string_view kKludgeFmpt =
    "\x01"
    "FMPT";
inline constexpr std::string_view kKludgeTopt = "\x01TOPT";

// A kludge line without its line end: the name, one blank (unless the name ends with one, as
// "\x01Via " and "SEEN-BY: " do) and the value.
void AppendKludgeLine(std::string& out, std::string_view name, std::string_view value);
std::string KludgeLine(std::string_view name, std::string_view value);
// The value of line when it is the named kludge as KludgeLine writes it (name and blank);
// none otherwise.
std::optional<std::string_view> KludgeValue(std::string_view line, std::string_view name);

// Origin rules, in this order on the same line: MSGID gives the address of its second word;
// INTL gives its third word's address but keeps the point; otherwise FMPT sets the point.
void ParseOrigKludge(FtnAddress& address, std::string_view line);
// Destination rules: INTL gives its second word's address but keeps the point; otherwise
// TOPT sets the point.
void ParseDestKludge(FtnAddress& address, std::string_view line);

// The origin line " * Origin: text (address)", the text cut so the line has at most 79 bytes.
std::string OriginLine(std::string_view text, const FtnAddress& address);

// The serial of a new MSGID: eight lower-case hex digits of a value made from the local
// date and time. Serials given out by one object are unique: where the clock has not moved
// on, the value after the last one is used instead of waiting for the clock.
class MsgIdSerial {
 public:
  explicit MsgIdSerial(const Clock& clock) : clock_(clock) {}
  std::string Next();
  // The value the clock gives now, before the uniqueness rule.
  static std::uint32_t ValueAt(int year, int month, int day, int hour, int minute, int second,
                               int hundredths);

 private:
  const Clock& clock_;
  std::uint32_t last_ = 0;
  bool given_ = false;
};

}  // namespace tarnik
