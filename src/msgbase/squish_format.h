#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Layout of a Squish base: name.SQD (base header, then frames), name.SQI (index records) and
// name.SQL (lastread dwords, never touched here). Little-endian throughout. Offsets, sizes and
// values are constants in namespace squish; the record codecs sit beside them.
namespace tarnik::squish {

// Base header, the first 256 bytes of name.SQD.
inline constexpr std::size_t kBaseHeaderSize = 256;
inline constexpr std::size_t kBaseLen = 0;  // word
inline constexpr std::size_t kBaseNumMsg = 4;
inline constexpr std::size_t kBaseHighMsg = 8;
inline constexpr std::size_t kBaseSkipMsg = 12;
inline constexpr std::size_t kBaseHighWater = 16;
inline constexpr std::size_t kBaseUid = 20;
inline constexpr std::size_t kBaseName = 24;
inline constexpr std::size_t kBaseNameSize = 80;
inline constexpr std::size_t kBaseBeginFrame = 104;
inline constexpr std::size_t kBaseLastFrame = 108;
inline constexpr std::size_t kBaseFreeFrame = 112;
inline constexpr std::size_t kBaseLastFreeFrame = 116;
inline constexpr std::size_t kBaseEndFrame = 120;
inline constexpr std::size_t kBaseMaxMsg = 124;
inline constexpr std::size_t kBaseKeepDays = 128;  // word
inline constexpr std::size_t kBaseSzSqhdr = 130;   // word

// Values a new base is created with.
inline constexpr std::uint32_t kCreateMaxMsg = 65535;
inline constexpr std::uint16_t kCreateKeepDays = 32767;

// Frame header, at a frame's offset in name.SQD.
inline constexpr std::size_t kFrameHeaderSize = 28;
inline constexpr std::size_t kFrameId = 0;
inline constexpr std::size_t kFrameNext = 4;
inline constexpr std::size_t kFramePrev = 8;
inline constexpr std::size_t kFrameLength = 12;
inline constexpr std::size_t kFrameMsgLength = 16;
inline constexpr std::size_t kFrameClen = 20;
inline constexpr std::size_t kFrameType = 24;  // word
inline constexpr std::size_t kFrameRsvd = 26;  // word
inline constexpr std::uint32_t kFrameIdValue = 0xAFAE4453;
inline constexpr std::uint16_t kFrameTypeMessage = 0;
inline constexpr std::uint16_t kFrameTypeFree = 1;

// Message header, right after the frame header; then clen bytes of control information and
// the text.
inline constexpr std::size_t kMsgHeaderSize = 238;
inline constexpr std::size_t kMsgAttr = 0;
inline constexpr std::size_t kMsgFrom = 4;
inline constexpr std::size_t kMsgFromSize = 36;
inline constexpr std::size_t kMsgTo = 40;
inline constexpr std::size_t kMsgToSize = 36;
inline constexpr std::size_t kMsgSubj = 76;
inline constexpr std::size_t kMsgSubjSize = 72;
inline constexpr std::size_t kMsgOrig = 148;  // zone, net, node, point words
inline constexpr std::size_t kMsgDest = 156;
inline constexpr std::size_t kMsgDateWritten = 164;  // DOS date word, DOS time word
inline constexpr std::size_t kMsgDateArrived = 168;
inline constexpr std::size_t kMsgUtcOfs = 172;  // word
inline constexpr std::size_t kMsgReplyTo = 174;
inline constexpr std::size_t kMsgReplies = 178;  // nine dwords
inline constexpr std::size_t kMsgUmsgid = 214;
inline constexpr std::size_t kMsgFtscDate = 218;
inline constexpr std::size_t kMsgFtscDateSize = 20;

// Attribute bits: the FTS-0001 attribute word, then Squish's own. The low ten bits (private
// to hold, 0x001 to 0x200) are stored as the interface numbers them; the word leaves 0x400
// unused, so file request and the codes above it sit one place higher than the interface's
// (mapped by SquishAttributeBits).
inline constexpr std::uint32_t kAttrFts0001Bits = 0x3FF;
inline constexpr std::uint32_t kAttrFileRequestBit = 0x0800;
inline constexpr std::uint32_t kAttrReturnReceiptRequestBit = 0x1000;
inline constexpr std::uint32_t kAttrAuditRequestBit = 0x4000;
inline constexpr std::uint32_t kAttrScannedBit = 0x10000;
inline constexpr std::uint32_t kAttrUid = 0x20000;  // the umsgid field is valid
inline constexpr std::uint32_t kAttrRead = 0x80000;

// Index record, name.SQI is an array of them.
inline constexpr std::size_t kIndexRecordSize = 12;
inline constexpr std::size_t kIndexOfs = 0;
inline constexpr std::size_t kIndexUmsgid = 4;
inline constexpr std::size_t kIndexHash = 8;

// Control information of 65520 bytes or more is refused: the 16-bit programs this format grew
// up with hold it in one heap block, whose largest size is 65520 bytes. One kludge line made of
// it holds at most 16383 bytes, what a kludge search sees of a line.
inline constexpr std::uint32_t kMaxControlInfo = 65520;
inline constexpr std::size_t kMaxKludgeLine = 16383;

// The writer's ceilings. A message is read back into a text whose positions are int32, so
// msg_length stays at most 0x7FFFFFFF. Frame offsets and end_frame are dwords, so a frame is
// appended only when it ends at or below 0xFFFFFFFF.
inline constexpr std::uint64_t kMaxMsgLength = 0x7FFFFFFF;
inline constexpr std::uint64_t kMaxDataFileSize = 0xFFFFFFFF;

struct Frame {
  std::uint32_t id = 0;
  std::uint32_t next = 0;
  std::uint32_t prev = 0;
  std::uint32_t length = 0;
  std::uint32_t msgLength = 0;
  std::uint32_t clen = 0;
  std::uint16_t type = 0;

  // From (into) kFrameHeaderSize stored bytes; Encode writes rsvd as 0.
  static Frame Decode(const char* bytes);
  void Encode(char* bytes) const;
};

struct IndexRecord {
  std::uint32_t ofs = 0;
  std::uint32_t umsgid = 0;
  std::uint32_t hash = 0;

  // From (into) kIndexRecordSize stored bytes.
  static IndexRecord Decode(const char* bytes);
  void Encode(char* bytes) const;
};

}  // namespace tarnik::squish

namespace tarnik {

// The published Squish hash of a recipient's name, kept in the index records.
std::uint32_t SquishHash(std::string_view name);

// The interface's attribute code as stored attr bits; 0 for a code this format cannot store.
std::uint32_t SquishAttributeBits(std::uint32_t code);

// Appends the kludge lines the control information holds to out: each byte 1 after the first
// starts a new line, 0 bytes add nothing, each line ends with CR and keeps at most
// kMaxKludgeLine bytes. Control information of only 0 bytes gives no line.
void AppendSquishControlLines(std::string_view control, std::string& out);

// The reverse, for the writer: the leading ^A lines of text (without their line ends)
// become control, ended by one 0 byte; body is the text from the first other line on.
void SplitSquishControl(std::string_view text, std::string& control, std::string_view& body);

// Whether a frame (header and msgLength bytes) may be appended at offset end of name.SQD: after
// the base header, and ending within the dword offsets.
bool SquishFrameFits(std::uint64_t end, std::uint64_t msgLength);

}  // namespace tarnik
