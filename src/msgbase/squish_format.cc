#include "msgbase/squish_format.h"

#include <algorithm>

#include "common/bytes.h"
#include "msgbase/message_base.h"

namespace tarnik {

using namespace squish;

Frame Frame::Decode(const char* bytes) {
  Frame frame;
  frame.id = LoadU32(bytes + kFrameId);
  frame.next = LoadU32(bytes + kFrameNext);
  frame.prev = LoadU32(bytes + kFramePrev);
  frame.length = LoadU32(bytes + kFrameLength);
  frame.msgLength = LoadU32(bytes + kFrameMsgLength);
  frame.clen = LoadU32(bytes + kFrameClen);
  frame.type = LoadU16(bytes + kFrameType);
  return frame;
}

void Frame::Encode(char* bytes) const {
  StoreU32(bytes + kFrameId, id);
  StoreU32(bytes + kFrameNext, next);
  StoreU32(bytes + kFramePrev, prev);
  StoreU32(bytes + kFrameLength, length);
  StoreU32(bytes + kFrameMsgLength, msgLength);
  StoreU32(bytes + kFrameClen, clen);
  StoreU16(bytes + kFrameType, type);
  StoreU16(bytes + kFrameRsvd, 0);
}

IndexRecord IndexRecord::Decode(const char* bytes) {
  IndexRecord record;
  record.ofs = LoadU32(bytes + kIndexOfs);
  record.umsgid = LoadU32(bytes + kIndexUmsgid);
  record.hash = LoadU32(bytes + kIndexHash);
  return record;
}

void IndexRecord::Encode(char* bytes) const {
  StoreU32(bytes + kIndexOfs, ofs);
  StoreU32(bytes + kIndexUmsgid, umsgid);
  StoreU32(bytes + kIndexHash, hash);
}

std::uint32_t SquishHash(std::string_view name) {
  std::uint32_t h = 0;
  for (char ch : name) {
    std::uint32_t c = static_cast<unsigned char>(ch);
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    h = (h << 4) + c;
    std::uint32_t g = h & 0xF0000000u;
    if (g != 0) h |= (g >> 24) | g;
  }
  return h & 0x7FFFFFFFu;
}

std::uint32_t SquishAttributeBits(std::uint32_t code) {
  // Any code made only of FTS-0001 bits (one or several) is stored as it is.
  if (code != 0 && (code & ~kAttrFts0001Bits) == 0) return code;
  switch (code) {
    case kAttrFileRequest:
      return kAttrFileRequestBit;
    case kAttrReturnReceiptRequest:
      return kAttrReturnReceiptRequestBit;
    case kAttrAuditRequest:
      return kAttrAuditRequestBit;
    case kAttrScanned:
      return kAttrScannedBit;
    default:
      // Among them "is a return receipt" and "file update request": Squish has no bit for
      // them, so they read as not set.
      return 0;
  }
}

void AppendSquishControlLines(std::string_view control, std::string& out) {
  std::size_t lineLength = 0;
  for (std::size_t i = 0; i < control.size();) {
    const char c = control[i];
    if (c == 0) {
      ++i;
    } else if (c == 1) {
      if (lineLength > 0) out += '\r';
      out += c;
      lineLength = 1;
      ++i;
    } else {
      // A run of line bytes is copied at once, as far as the line has room.
      std::size_t end = i + 1;
      while (end < control.size() && control[end] != 0 && control[end] != 1) ++end;
      const std::size_t take = std::min(end - i, kMaxKludgeLine - lineLength);
      out.append(control.substr(i, take));
      lineLength += take;
      i = end;
    }
  }
  if (lineLength > 0) out += '\r';
}

void SplitSquishControl(std::string_view text, std::string& control, std::string_view& body) {
  control.clear();
  std::size_t bodyStart = text.size();
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != 13 && text[end] != 10 && text[end] != 0) ++end;
    if (text[pos] != 1) {
      bodyStart = pos;
      break;
    }
    // Kludges are stored back to back, each introduced by its byte 1, without line ends.
    control.append(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size()) {
      ++pos;
      if (pos < text.size() && text[pos] == 10) ++pos;
    }
  }
  control += '\0';
  body = text.substr(bodyStart);
}

bool SquishFrameFits(std::uint64_t end, std::uint64_t msgLength) {
  return end >= kBaseHeaderSize && end + kFrameHeaderSize + msgLength <= kMaxDataFileSize;
}

}  // namespace tarnik
