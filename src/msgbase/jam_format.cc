#include "msgbase/jam_format.h"

#include <algorithm>
#include <array>

#include "common/bytes.h"
#include "core/calendar.h"
#include "msgbase/message_base.h"

namespace tarnik {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

constexpr std::uint32_t kSecondsPerDay = 86400;

}  // namespace

std::uint32_t JamCrc(std::string_view text) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
    crc = kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
  }
  return crc;
}

std::uint32_t JamAttributeBits(std::uint32_t code) {
  switch (code) {
    case kAttrPrivate:
      return kJamAttrPrivate;
    case kAttrCrash:
      return kJamAttrCrash;
    case kAttrReceived:
      return kJamAttrRead;
    case kAttrSent:
      return kJamAttrSent;
    case kAttrFileAttached:
      return kJamAttrFileAttach;
    case kAttrInTransit:
      return kJamAttrInTransit;
    case kAttrOrphan:
      return kJamAttrOrphan;
    case kAttrKillSent:
      return kJamAttrKillSent;
    case kAttrLocal:
      return kJamAttrLocal;
    case kAttrHold:
      return kJamAttrHold;
    case kAttrFileRequest:
      return kJamAttrFileRequest;
    case kAttrReturnReceiptRequest:
      return kJamAttrReceiptReq;
    case kAttrAuditRequest:
      return kJamAttrConfirmReq;
    case kJamAttrTypeLocal:
    case kJamAttrTypeEcho:
    case kJamAttrTypeNet:
      return code;
    default:
      return 0;
  }
}

void JamSubfields(std::string_view area, std::uint32_t subfieldLen, std::vector<JamSubfield>& out) {
  out.clear();
  const std::size_t read = std::min(area.size(), kJamSubfieldAreaMax);
  const std::uint64_t limit = std::min<std::uint64_t>(subfieldLen, kJamSubfieldAreaMax);
  std::uint64_t pos = 0;
  while (pos < limit && pos + kJamSubfieldHeaderSize <= read) {
    const char* p = area.data() + pos;
    if (std::string_view(p, kJamSignature.size()) == kJamSignature) break;
    const std::uint16_t loId = LoadU16(p);
    const std::uint64_t datLen = LoadU32(p + 4);
    const std::uint64_t dataStart = pos + kJamSubfieldHeaderSize;
    if (dataStart + datLen > read) break;
    JamSubfield field;
    field.loId = loId;
    field.data = area.substr(dataStart, std::min<std::uint64_t>(datLen, kJamSubfieldDataMax));
    out.push_back(field);
    pos = dataStart + datLen;
  }
}

void JamSecondsToDate(std::uint32_t seconds, MsgDateTime& date) {
  // 0 is a date field nobody filled (a packer's emptied slot, a message never processed), not
  // the first second of 1970.
  if (seconds == 0) {
    date = MsgDateTime();
    return;
  }
  std::int32_t day = 0, month = 0, year = 0;
  DateOfDayNumber(static_cast<std::int32_t>(seconds / kSecondsPerDay + kJamJulianOf1970), day,
                  month, year);
  const std::uint32_t inDay = seconds % kSecondsPerDay;
  date.Day = static_cast<std::uint16_t>(day);
  date.Month = static_cast<std::uint16_t>(month);
  date.Year = static_cast<std::uint16_t>(year);
  date.Hour = static_cast<std::uint16_t>(inDay / 3600);
  date.Min = static_cast<std::uint16_t>(inDay % 3600 / 60);
  date.Sec = static_cast<std::uint16_t>(inDay % 60);
}

std::uint32_t JamDateToSeconds(const MsgDateTime& date) {
  if (!IsCalendarDate(date)) return 0;
  const std::int64_t days =
      static_cast<std::int64_t>(DayNumber(date.Year, date.Month, date.Day)) - kJamJulianOf1970;
  const std::int64_t seconds = days * kSecondsPerDay + date.Hour * 3600 + date.Min * 60 +
                               static_cast<std::int64_t>(date.Sec);
  // Dates before 1970 wrap, as the stored dword does.
  return static_cast<std::uint32_t>(seconds);
}

}  // namespace tarnik
