#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnik {

struct MsgDateTime;

// Layout of a JAM base: name.JHR (base header, then message headers with subfields),
// name.JDX (index), name.JDT (texts), name.JLR (lastread). All numbers little-endian.

inline constexpr std::size_t kJamBaseHeaderSize = 1024;
inline constexpr std::size_t kJamMsgHeaderSize = 76;
// At most this many bytes of subfields are looked at per message.
inline constexpr std::size_t kJamSubfieldAreaMax = 16384;
inline constexpr std::size_t kJamHeaderBufferSize = kJamMsgHeaderSize + kJamSubfieldAreaMax;
inline constexpr std::size_t kJamSubfieldHeaderSize = 8;
inline constexpr std::size_t kJamIndexRecordSize = 8;
inline constexpr std::size_t kJamLastReadRecordSize = 16;
// Subfield data is taken (and written) as at most this many bytes.
inline constexpr std::size_t kJamSubfieldDataMax = 255;
inline constexpr std::uint32_t kJamNone = 0xFFFFFFFF;  // deleted HdrOffset, absent CRC
inline constexpr std::uint32_t kJamJulianOf1970 = 2440588;
inline constexpr std::string_view kJamSignature{"JAM\0", 4};

// Base header fields.
inline constexpr std::size_t kJamBaseSignature = 0;
inline constexpr std::size_t kJamBaseDateCreated = 4;
inline constexpr std::size_t kJamBaseModCounter = 8;
inline constexpr std::size_t kJamBaseActiveMsgs = 12;
inline constexpr std::size_t kJamBasePasswordCrc = 16;
inline constexpr std::size_t kJamBaseBaseMsgNum = 20;

// Message header fields.
inline constexpr std::size_t kJamHdrSignature = 0;
inline constexpr std::size_t kJamHdrRevision = 4;
inline constexpr std::size_t kJamHdrReservedWord = 6;
inline constexpr std::size_t kJamHdrSubfieldLen = 8;
inline constexpr std::size_t kJamHdrTimesRead = 12;
inline constexpr std::size_t kJamHdrMsgIdCrc = 16;
inline constexpr std::size_t kJamHdrReplyCrc = 20;
inline constexpr std::size_t kJamHdrReplyTo = 24;
inline constexpr std::size_t kJamHdrReply1st = 28;
inline constexpr std::size_t kJamHdrReplyNext = 32;
inline constexpr std::size_t kJamHdrDateWritten = 36;
inline constexpr std::size_t kJamHdrDateReceived = 40;
inline constexpr std::size_t kJamHdrDateProcessed = 44;
inline constexpr std::size_t kJamHdrMessageNumber = 48;
inline constexpr std::size_t kJamHdrAttribute = 52;
inline constexpr std::size_t kJamHdrAttribute2 = 56;
inline constexpr std::size_t kJamHdrTxtOffset = 60;
inline constexpr std::size_t kJamHdrTxtLen = 64;
inline constexpr std::size_t kJamHdrPasswordCrc = 68;
inline constexpr std::size_t kJamHdrCost = 72;

// Index record fields.
inline constexpr std::size_t kJamIdxUserCrc = 0;
inline constexpr std::size_t kJamIdxHdrOffset = 4;

// Lastread record fields.
inline constexpr std::size_t kJamLrUserCrc = 0;
inline constexpr std::size_t kJamLrUserId = 4;
inline constexpr std::size_t kJamLrLastReadMsg = 8;
inline constexpr std::size_t kJamLrHighReadMsg = 12;

// Subfield identifiers (LoID).
inline constexpr std::uint16_t kJamOAddress = 0;
inline constexpr std::uint16_t kJamDAddress = 1;
inline constexpr std::uint16_t kJamSenderName = 2;
inline constexpr std::uint16_t kJamReceiverName = 3;
inline constexpr std::uint16_t kJamMsgId = 4;
inline constexpr std::uint16_t kJamReplyId = 5;
inline constexpr std::uint16_t kJamSubject = 6;
inline constexpr std::uint16_t kJamPid = 7;
inline constexpr std::uint16_t kJamTrace = 8;
inline constexpr std::uint16_t kJamEnclosedFile = 9;
inline constexpr std::uint16_t kJamEnclosedFreq = 11;
inline constexpr std::uint16_t kJamFtsKludge = 2000;
inline constexpr std::uint16_t kJamSeenBy2D = 2001;
inline constexpr std::uint16_t kJamPath2D = 2002;
inline constexpr std::uint16_t kJamFlags = 2003;

// Attribute bits.
inline constexpr std::uint32_t kJamAttrLocal = 0x1;
inline constexpr std::uint32_t kJamAttrInTransit = 0x2;
inline constexpr std::uint32_t kJamAttrPrivate = 0x4;
inline constexpr std::uint32_t kJamAttrRead = 0x8;
inline constexpr std::uint32_t kJamAttrSent = 0x10;
inline constexpr std::uint32_t kJamAttrKillSent = 0x20;
inline constexpr std::uint32_t kJamAttrHold = 0x80;
inline constexpr std::uint32_t kJamAttrCrash = 0x100;
inline constexpr std::uint32_t kJamAttrFileRequest = 0x1000;
inline constexpr std::uint32_t kJamAttrFileAttach = 0x2000;
inline constexpr std::uint32_t kJamAttrReceiptReq = 0x10000;
inline constexpr std::uint32_t kJamAttrConfirmReq = 0x20000;
inline constexpr std::uint32_t kJamAttrOrphan = 0x40000;
inline constexpr std::uint32_t kJamAttrTypeLocal = 0x800000;
inline constexpr std::uint32_t kJamAttrTypeEcho = 0x1000000;
inline constexpr std::uint32_t kJamAttrTypeNet = 0x2000000;

// Status codes.
inline constexpr std::int32_t kJamErrorNoHeaderFile = 0x2000;
inline constexpr std::int32_t kJamErrorNoIndexFile = 0x2001;
inline constexpr std::int32_t kJamErrorNoTextFile = 0x2002;
inline constexpr std::int32_t kJamErrorOpenHeaderFile = 0x2003;
inline constexpr std::int32_t kJamErrorOpenIndexFile = 0x2004;
inline constexpr std::int32_t kJamErrorOpenTextFile = 0x2005;
inline constexpr std::int32_t kJamErrorRead = 0x2006;
inline constexpr std::int32_t kJamErrorBadHdrOffset = 0x2007;
inline constexpr std::int32_t kJamErrorBadTxtOffset = 0x2008;
inline constexpr std::int32_t kJamErrorCreateHeaderFile = 0x200a;
inline constexpr std::int32_t kJamErrorCreateIndexFile = 0x200b;
inline constexpr std::int32_t kJamErrorCreateTextFile = 0x200c;
inline constexpr std::int32_t kJamErrorNoLastReadFile = 0x200d;
inline constexpr std::int32_t kJamErrorLastReadFile = 0x200f;

// CRC-32 (reflected, polynomial 0xEDB88320) from 0xFFFFFFFF without the final inversion,
// over the text with A-Z lowered: the hash of names and ids kept in the index and headers.
std::uint32_t JamCrc(std::string_view text);

// The interface's attribute code as JAM attribute bits; 0 for a code JAM cannot store.
std::uint32_t JamAttributeBits(std::uint32_t code);

struct JamSubfield {
  std::uint16_t loId = 0;
  std::string_view data;  // at most kJamSubfieldDataMax bytes
};

// Walks the subfields in area (the bytes read after the fixed header, at most 16384 of them)
// up to subfieldLen. A subfield that starts beyond either limit ends the walk; one whose data
// reaches past the bytes read is dropped and ends it too. So does a message header signature
// where a subfield should start: a damaged, oversized SubfieldLen must not turn the next
// message's header into subfields. out is cleared first (its capacity is reused).
void JamSubfields(std::string_view area, std::uint32_t subfieldLen, std::vector<JamSubfield>& out);

// Seconds since 1970-01-01 (no time zone) as a date via the day number, and back. 0 gives the
// empty date (every field 0), as the field was never filled; a date that names no day is
// stored as 0.
void JamSecondsToDate(std::uint32_t seconds, MsgDateTime& date);
std::uint32_t JamDateToSeconds(const MsgDateTime& date);

}  // namespace tarnik
