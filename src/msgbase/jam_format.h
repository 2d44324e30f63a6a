#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Layout of a JAM base: name.JHR (base header, then message headers with subfields),
// name.JDX (index), name.JDT (texts), name.JLR (lastread, made empty and never touched here).
// All numbers little-endian. Offsets, sizes and values are constants in namespace jam; the
// decoders sit beside them.
namespace tarnik::jam {

inline constexpr std::size_t kBaseHeaderSize = 1024;
inline constexpr std::size_t kMsgHeaderSize = 76;
// At most this many bytes of subfields are looked at per message: a SubfieldLen beyond it is
// damage or abuse, and real headers stay far below it.
inline constexpr std::size_t kSubfieldAreaMax = 16384;
inline constexpr std::size_t kHeaderBufferSize = kMsgHeaderSize + kSubfieldAreaMax;
inline constexpr std::size_t kSubfieldHeaderSize = 8;
inline constexpr std::size_t kIndexRecordSize = 8;
// Subfield data is taken (and written) as at most this many bytes, the length of a line the
// interface reads.
inline constexpr std::size_t kSubfieldDataMax = 255;
inline constexpr std::uint32_t kNone = 0xFFFFFFFF;  // deleted HdrOffset, absent CRC
inline constexpr std::uint32_t kJulianOf1970 = 2440588;
inline constexpr std::string_view kSignature{"JAM\0", 4};

// Base header fields.
inline constexpr std::size_t kBaseSignature = 0;
inline constexpr std::size_t kBaseDateCreated = 4;
inline constexpr std::size_t kBaseModCounter = 8;
inline constexpr std::size_t kBaseActiveMsgs = 12;
inline constexpr std::size_t kBasePasswordCrc = 16;
inline constexpr std::size_t kBaseBaseMsgNum = 20;

// Message header fields.
inline constexpr std::size_t kHdrSignature = 0;
inline constexpr std::size_t kHdrRevision = 4;
inline constexpr std::size_t kHdrReservedWord = 6;
inline constexpr std::size_t kHdrSubfieldLen = 8;
inline constexpr std::size_t kHdrTimesRead = 12;
inline constexpr std::size_t kHdrMsgIdCrc = 16;
inline constexpr std::size_t kHdrReplyCrc = 20;
inline constexpr std::size_t kHdrReplyTo = 24;
inline constexpr std::size_t kHdrReply1st = 28;
inline constexpr std::size_t kHdrReplyNext = 32;
inline constexpr std::size_t kHdrDateWritten = 36;
// When the addressee read the message (0 until then), not when it arrived here: that is
// DateProcessed, which the tosser sets as it stores the message.
inline constexpr std::size_t kHdrDateReceived = 40;
inline constexpr std::size_t kHdrDateProcessed = 44;
inline constexpr std::size_t kHdrMessageNumber = 48;
inline constexpr std::size_t kHdrAttribute = 52;
inline constexpr std::size_t kHdrAttribute2 = 56;
inline constexpr std::size_t kHdrTxtOffset = 60;
inline constexpr std::size_t kHdrTxtLen = 64;
inline constexpr std::size_t kHdrPasswordCrc = 68;
inline constexpr std::size_t kHdrCost = 72;

// Index record fields.
inline constexpr std::size_t kIdxUserCrc = 0;
inline constexpr std::size_t kIdxHdrOffset = 4;

// Subfield identifiers (LoID).
inline constexpr std::uint16_t kOAddress = 0;
inline constexpr std::uint16_t kDAddress = 1;
inline constexpr std::uint16_t kSenderName = 2;
inline constexpr std::uint16_t kReceiverName = 3;
inline constexpr std::uint16_t kMsgId = 4;
inline constexpr std::uint16_t kReplyId = 5;
inline constexpr std::uint16_t kSubject = 6;
inline constexpr std::uint16_t kPid = 7;
inline constexpr std::uint16_t kTrace = 8;
inline constexpr std::uint16_t kEnclosedFile = 9;
inline constexpr std::uint16_t kEnclosedFreq = 11;
inline constexpr std::uint16_t kFtsKludge = 2000;
inline constexpr std::uint16_t kSeenBy2D = 2001;
inline constexpr std::uint16_t kPath2D = 2002;
inline constexpr std::uint16_t kFlags = 2003;

// Attribute bits.
inline constexpr std::uint32_t kMsgLocal = 0x1;
inline constexpr std::uint32_t kMsgInTransit = 0x2;
inline constexpr std::uint32_t kMsgPrivate = 0x4;
inline constexpr std::uint32_t kMsgRead = 0x8;
inline constexpr std::uint32_t kMsgSent = 0x10;
inline constexpr std::uint32_t kMsgKillSent = 0x20;
inline constexpr std::uint32_t kMsgHold = 0x80;
inline constexpr std::uint32_t kMsgCrash = 0x100;
inline constexpr std::uint32_t kMsgFileRequest = 0x1000;
inline constexpr std::uint32_t kMsgFileAttach = 0x2000;
inline constexpr std::uint32_t kMsgReceiptReq = 0x10000;
inline constexpr std::uint32_t kMsgConfirmReq = 0x20000;
inline constexpr std::uint32_t kMsgOrphan = 0x40000;
inline constexpr std::uint32_t kMsgTypeLocal = 0x800000;
inline constexpr std::uint32_t kMsgTypeEcho = 0x1000000;
inline constexpr std::uint32_t kMsgTypeNet = 0x2000000;

struct Subfield {
  std::uint16_t loId = 0;
  std::string_view data;  // at most kSubfieldDataMax bytes
};

}  // namespace tarnik::jam

namespace tarnik {

struct MsgDateTime;

// CRC-32 (reflected, polynomial 0xEDB88320) from 0xFFFFFFFF without the final inversion,
// over the text with A-Z lowered: the hash of names and ids kept in the index and headers.
std::uint32_t JamCrc(std::string_view text);

// The interface's attribute code as JAM attribute bits; 0 for a code JAM cannot store.
std::uint32_t JamAttributeBits(std::uint32_t code);

// Walks the subfields in area (the bytes read after the fixed header, at most 16384 of them)
// up to subfieldLen. A subfield that starts beyond either limit ends the walk; one whose data
// reaches past the bytes read is dropped and ends it too. So does a message header signature
// where a subfield should start: a damaged, oversized SubfieldLen must not turn the next
// message's header into subfields. out is cleared first (its capacity is reused).
void JamSubfields(std::string_view area, std::uint32_t subfieldLen,
                  std::vector<jam::Subfield>& out);

// The writer's reverse: appends one subfield (data cut to kSubfieldDataMax bytes) to area,
// unless that would take area past kSubfieldAreaMax, where a reader stops looking.
void AppendJamSubfield(std::string& area, std::uint16_t loId, std::string_view data);

// The kludge a subfield stands for (a name of kludge.h: MSGID, REPLY, PID, Via, SEEN-BY,
// PATH, FLAGS); empty for any other subfield, FTSKLUDGE included, which carries its own name.
std::string_view JamKludgeName(std::uint16_t loId);
// The reverse, for the writer: true with the subfield and the value when line is one of those
// kludges as KludgeLine writes it.
bool JamKludgeSubfield(std::string_view line, std::uint16_t& loId, std::string_view& value);

// Seconds since 1970-01-01 (no time zone) as a date via the day number, and back. 0 gives the
// empty date (every field 0), as the field was never filled; a date that names no day is
// stored as 0.
void JamSecondsToDate(std::uint32_t seconds, MsgDateTime& date);
std::uint32_t JamDateToSeconds(const MsgDateTime& date);

}  // namespace tarnik
