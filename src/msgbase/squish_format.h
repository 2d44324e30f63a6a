#pragma once

#include <cstddef>
#include <cstdint>

// Layout of the Squish files: name.SQD (base header, then frames), name.SQI (index records)
// and name.SQL (lastread dwords). Everything little-endian.
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

// Stored attribute bits beyond the interface's own.
inline constexpr std::uint32_t kAttrUid = 0x20000;  // umsgid field is valid
inline constexpr std::uint32_t kAttrRead = 0x80000;

// Index record, name.SQI is an array of them.
inline constexpr std::size_t kIndexRecordSize = 12;
inline constexpr std::size_t kIndexOfs = 0;
inline constexpr std::size_t kIndexUmsgid = 4;
inline constexpr std::size_t kIndexHash = 8;

// Lastread file: one dword per user.
inline constexpr std::size_t kLastReadSize = 4;

// Control information of 65520 bytes or more is refused; one kludge line holds at most
// 16383 bytes.
inline constexpr std::uint32_t kMaxControlInfo = 65520;
inline constexpr std::size_t kMaxKludgeLine = 16383;

}  // namespace tarnik::squish
