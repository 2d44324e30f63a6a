#include "msgbase/kludge.h"

#include <cstdio>

#include "common/clock.h"
#include "common/text.h"

namespace tarnik {
namespace {

constexpr std::string_view kSpace = " ";
constexpr std::size_t kOriginLineMax = 79;
constexpr std::string_view kOriginPrefix = " * Origin: ";

bool StartsWith(std::string_view line, std::string_view name) {
  return line.substr(0, name.size()) == name;
}

}  // namespace

void AppendKludgeLine(std::string& out, std::string_view name, std::string_view value) {
  out.append(name);
  if (name.empty() || name.back() != ' ') out += ' ';
  out.append(value);
}

std::string KludgeLine(std::string_view name, std::string_view value) {
  std::string line;
  AppendKludgeLine(line, name, value);
  return line;
}

std::optional<std::string_view> KludgeValue(std::string_view line, std::string_view name) {
  if (!StartsWith(line, name)) return std::nullopt;
  line.remove_prefix(name.size());
  if (name.empty() || name.back() != ' ') {
    if (line.empty() || line.front() != ' ') return std::nullopt;
    line.remove_prefix(1);
  }
  return line;
}

void ParseOrigKludge(FtnAddress& address, std::string_view line) {
  if (StartsWith(line, kKludgeMsgId)) ParseAddress(WordOf(line, 2, kSpace), address);
  if (StartsWith(line, kKludgeIntl)) {
    std::int16_t point = address.point;
    ParseAddress(WordOf(line, 3, kSpace), address);
    address.point = point;
  } else if (StartsWith(line, kKludgeFmpt)) {
    address.point = static_cast<std::int16_t>(IntValue(WordOf(line, 2, kSpace)));
  }
}

void ParseDestKludge(FtnAddress& address, std::string_view line) {
  if (StartsWith(line, kKludgeIntl)) {
    std::int16_t point = address.point;
    ParseAddress(WordOf(line, 2, kSpace), address);
    address.point = point;
  } else if (StartsWith(line, kKludgeTopt)) {
    address.point = static_cast<std::int16_t>(IntValue(WordOf(line, 2, kSpace)));
  }
}

std::string OriginLine(std::string_view text, const FtnAddress& address) {
  std::string shortForm = FormatAddress(address);
  // Room left for the text after " * Origin: ", " (", the address and ")".
  std::size_t fixed = kOriginPrefix.size() + 2 + shortForm.size() + 1;
  std::size_t room = fixed < kOriginLineMax ? kOriginLineMax - fixed : 0;
  std::string line(kOriginPrefix);
  line.append(text.substr(0, room));
  line += " (";
  line += shortForm;
  line += ')';
  return line;
}

std::uint32_t MsgIdSerial::ValueAt(int year, int month, int day, int hour, int minute, int second,
                                   int hundredths) {
  std::uint32_t v = static_cast<std::uint32_t>(second) + static_cast<std::uint32_t>(minute) * 60u +
                    static_cast<std::uint32_t>(hour) * 3600u +
                    static_cast<std::uint32_t>(day) * 86400u +
                    static_cast<std::uint32_t>(month) * 2592000u +
                    static_cast<std::uint32_t>(year + 10) * 30672000u;
  return (v * 128u) | (static_cast<std::uint32_t>(hundredths) & 127u);
}

std::string MsgIdSerial::Next() {
  LocalTime now = clock_.Now();
  std::uint32_t v =
      ValueAt(now.year, now.month, now.day, now.hour, now.minute, now.second, now.hundredths);
  // Waiting for the clock to move would never end under a stopped clock, and a clock set
  // back would repeat serials; taking the next value keeps them unique either way.
  if (given_ && v <= last_) v = last_ + 1;
  last_ = v;
  given_ = true;
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(v));
  return std::string(digits, 8);
}

}  // namespace tarnik
