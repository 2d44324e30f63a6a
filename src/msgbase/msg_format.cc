#include "msgbase/msg_format.h"

#include <array>

#include "common/cp866.h"
#include "common/text.h"
#include "msgbase/message_base.h"

namespace tarnik {

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// A date word as a field value: only plain decimal digits that fit the field count;
// anything else gives 0.
std::uint16_t WordValue(std::string_view word) {
  if (word.empty() || word.size() > 5) return 0;
  std::uint32_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return value > 0xFFFF ? 0 : static_cast<std::uint16_t>(value);
}

std::uint16_t MonthOfName(std::string_view word) {
  for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
    if (EqualFolded(word, kMonthNames[i])) return static_cast<std::uint16_t>(i + 1);
  }
  return 0;
}

std::string_view DropFront(std::string_view text, std::size_t count) {
  return count >= text.size() ? std::string_view{} : text.substr(count);
}

constexpr std::string_view kSpace = " ";
constexpr std::string_view kTimeDelimiters = ": ";

}  // namespace

std::string_view ZeroTerminated(std::string_view field) {
  const std::size_t end = field.find('\0');
  return end == std::string_view::npos ? field : field.substr(0, end);
}

std::uint16_t MsgAttributeBits(std::uint32_t code) {
  switch (code) {
    case kAttrPrivate:
    case kAttrCrash:
    case kAttrReceived:
    case kAttrSent:
    case kAttrFileAttached:
    case kAttrInTransit:
    case kAttrOrphan:
    case kAttrKillSent:
    case kAttrLocal:
    case kAttrHold:
      return static_cast<std::uint16_t>(code);
    case kAttrFileRequest:
      return msg::kAttrFileRequestBit;
    case kAttrReturnReceiptRequest:
      return msg::kAttrReturnReceiptRequestBit;
    case kAttrIsReturnReceipt:
      return msg::kAttrIsReturnReceiptBit;
    case kAttrAuditRequest:
      return msg::kAttrAuditRequestBit;
    case kAttrFileUpdateRequest:
      return msg::kAttrFileUpdateRequestBit;
    default:
      return 0;
  }
}

std::string MsgFileName(std::int32_t n) { return Decimal(n) + ".MSG"; }

std::optional<std::int32_t> MsgFileNumber(std::string_view name) {
  const std::string_view stem = name.substr(0, name.find('.'));
  // Ten digits are enough for any int32 and keep the sum below from overflowing.
  if (stem.empty() || stem.size() > 10) return std::nullopt;
  std::int64_t value = 0;
  for (char c : stem) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value <= 0 || value > 0x7FFFFFFF) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

void ParseMsgDateTime(std::string_view text, MsgDateTime& date) {
  date = MsgDateTime{};
  std::uint16_t year = 0;
  auto charAt = [&](std::size_t position) {
    return position <= text.size() ? text[position - 1] : '\0';
  };
  // The first blank or dash tells the form: "01 Jan 86", "Wed  1 Jan 86" (SEAdog) or
  // "01-01-86"; anything else leaves every field 0.
  if (charAt(3) == ' ') {
    date.Day = WordValue(WordOf(text, 1, kSpace));
    date.Month = MonthOfName(WordOf(text, 2, kSpace));
    year = WordValue(WordOf(text, 3, kSpace));
    const std::string_view time = DropFront(text, charAt(11) == ' ' ? 11 : 10);
    date.Hour = WordValue(WordOf(time, 1, kTimeDelimiters));
    date.Min = WordValue(WordOf(time, 2, kTimeDelimiters));
    date.Sec = WordValue(WordOf(time, 3, kTimeDelimiters));
  } else if (charAt(4) == ' ') {
    const std::string_view rest = DropFront(text, 4);
    date.Day = WordValue(WordOf(rest, 1, kSpace));
    date.Month = MonthOfName(WordOf(rest, 2, kSpace));
    year = WordValue(WordOf(rest, 3, kSpace));
    const std::string_view time = DropFront(rest, 10);
    date.Hour = WordValue(WordOf(time, 1, kTimeDelimiters));
    date.Min = WordValue(WordOf(time, 2, kTimeDelimiters));
  } else if (charAt(3) == '-') {
    std::string spaced(text);
    for (char& c : spaced) {
      if (c == '-' || c == ':') c = ' ';
    }
    date.Day = WordValue(WordOf(spaced, 1, kSpace));
    date.Month = WordValue(WordOf(spaced, 2, kSpace));
    year = WordValue(WordOf(spaced, 3, kSpace));
    date.Hour = WordValue(WordOf(spaced, 4, kSpace));
    date.Min = WordValue(WordOf(spaced, 5, kSpace));
    date.Sec = WordValue(WordOf(spaced, 6, kSpace));
  }
  // FidoNet began in 1984, so a two-digit year from 00 to 70 can only be this century's.
  date.Year = static_cast<std::uint16_t>(year <= 70 ? year + 2000 : year + 1900);
}

}  // namespace tarnik
