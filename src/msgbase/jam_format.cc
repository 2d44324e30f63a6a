#include "msgbase/jam_format.h"

#include <algorithm>
#include <array>
#include <optional>

#include "common/bytes.h"
#include "core/calendar.h"
#include "msgbase/kludge.h"
#include "msgbase/message_base.h"

namespace tarnik {

using namespace jam;

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

struct KludgeSubfield {
  std::uint16_t loId;
  std::string_view name;
};

constexpr KludgeSubfield kKludgeSubfields[] = {
    {kMsgId, kKludgeMsgId}, {kReplyId, kKludgeReply},   {kPid, kKludgePid},
    {kTrace, kKludgeVia},   {kSeenBy2D, kKludgeSeenBy}, {kPath2D, kKludgePath},
    {kFlags, kKludgeFlags},
};

}  // namespace

std::uint32_t JamCrc(std::string_view text) {
  // Names are compared without regard to case, so the hash folds A-Z first; JAM leaves the
  // CRC uninverted, unlike the CRC-32 of archives.
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
      return kMsgPrivate;
    case kAttrCrash:
      return kMsgCrash;
    case kAttrReceived:
      // JAM's "read by the addressee": the message was received.
      return kMsgRead;
    case kAttrSent:
      return kMsgSent;
    case kAttrFileAttached:
      return kMsgFileAttach;
    case kAttrInTransit:
      return kMsgInTransit;
    case kAttrOrphan:
      return kMsgOrphan;
    case kAttrKillSent:
      return kMsgKillSent;
    case kAttrLocal:
      return kMsgLocal;
    case kAttrHold:
      return kMsgHold;
    case kAttrFileRequest:
      return kMsgFileRequest;
    case kAttrReturnReceiptRequest:
      return kMsgReceiptReq;
    case kAttrAuditRequest:
      return kMsgConfirmReq;
    // The message type has no interface code: its bits answer as codes of their own.
    case kMsgTypeLocal:
    case kMsgTypeEcho:
    case kMsgTypeNet:
      return code;
    default:
      return 0;
  }
}

void JamSubfields(std::string_view area, std::uint32_t subfieldLen, std::vector<Subfield>& out) {
  out.clear();
  const std::size_t read = std::min(area.size(), kSubfieldAreaMax);
  const std::uint64_t limit = std::min<std::uint64_t>(subfieldLen, kSubfieldAreaMax);
  std::uint64_t pos = 0;
  while (pos < limit && pos + kSubfieldHeaderSize <= read) {
    const char* p = area.data() + pos;
    // A SubfieldLen too large for its header runs into the next message: stop there.
    if (std::string_view(p, kSignature.size()) == kSignature) break;
    const std::uint16_t loId = LoadU16(p);
    const std::uint64_t datLen = LoadU32(p + 4);
    const std::uint64_t dataStart = pos + kSubfieldHeaderSize;
    // 64-bit sums: a hostile DatLen cannot wrap back inside the bytes read.
    if (dataStart + datLen > read) break;
    Subfield field;
    field.loId = loId;
    // The data is cut, but the walk steps over all of it to the next subfield.
    field.data = area.substr(dataStart, std::min<std::uint64_t>(datLen, kSubfieldDataMax));
    out.push_back(field);
    pos = dataStart + datLen;
  }
}

std::string_view JamKludgeName(std::uint16_t loId) {
  for (const KludgeSubfield& k : kKludgeSubfields) {
    if (k.loId == loId) return k.name;
  }
  return {};
}

bool JamKludgeSubfield(std::string_view line, std::uint16_t& loId, std::string_view& value) {
  for (const KludgeSubfield& k : kKludgeSubfields) {
    if (std::optional<std::string_view> v = KludgeValue(line, k.name)) {
      loId = k.loId;
      value = *v;
      return true;
    }
  }
  return false;
}

void AppendJamSubfield(std::string& area, std::uint16_t loId, std::string_view data) {
  data = data.substr(0, kSubfieldDataMax);
  if (area.size() + kSubfieldHeaderSize + data.size() > kSubfieldAreaMax) return;
  char head[kSubfieldHeaderSize];
  StoreU16(head, loId);
  StoreU16(head + 2, 0);  // HiID
  StoreU32(head + 4, static_cast<std::uint32_t>(data.size()));
  area.append(head, sizeof head);
  area.append(data);
}

// JAM stores local time as if it were UTC; no zone is applied either way, so the date reads
// back as the writer's clock showed it.
void JamSecondsToDate(std::uint32_t seconds, MsgDateTime& date) {
  // 0 is a date field nobody filled (a packer's emptied slot, a message never processed), not
  // the first second of 1970.
  if (seconds == 0) {
    date = MsgDateTime();
    return;
  }
  std::int32_t day = 0, month = 0, year = 0;
  DateOfDayNumber(static_cast<std::int32_t>(seconds / kSecondsPerDay + kJulianOf1970), day, month,
                  year);
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
      static_cast<std::int64_t>(DayNumber(date.Year, date.Month, date.Day)) - kJulianOf1970;
  const std::int64_t seconds = days * kSecondsPerDay + date.Hour * 3600 + date.Min * 60 +
                               static_cast<std::int64_t>(date.Sec);
  // Dates before 1970 wrap, as the stored dword does.
  return static_cast<std::uint32_t>(seconds);
}

}  // namespace tarnik
