// The writing side of SquishBase: makes a new base and appends messages to it.

#include <algorithm>
#include <string>

#include "common/bytes.h"
#include "common/file_system.h"
#include "common/text.h"
#include "msgbase/squish_base.h"

namespace tarnik {

using namespace squish;

bool SquishBase::Create(const std::string& path) {
  if (IsOpen()) Close();
  const std::string base = WithFinalDot(path);
  SetPath(base);
  if (!CreateFiles(base)) return false;
  // What was just written is read back through the reading side, as a scan would.
  if (!OpenSources()) return false;
  newMessage_ = false;
  NoCurrent();
  SetOpen(true);
  return true;
}

bool SquishBase::CreateFiles(const std::string& base) {
  const std::string directory = DirectoryPart(base);
  if (!directory.empty()) CreateDirectories(directory);
  if (!sqdOut_.Open(FileName("SQD"), FileMode::kCreate)) return FailOpen(kErrorCreateSqd);
  if (!sqiOut_.Open(FileName("SQI"), FileMode::kCreate)) return FailOpen(kErrorCreateSqi);
  baseHeader_.fill(0);
  StoreU16(&baseHeader_[kBaseLen], static_cast<std::uint16_t>(kBaseHeaderSize));
  SetBaseU32(kBaseUid, 1);
  // The base's name is its path without the final dot.
  std::string_view name(base);
  name.remove_suffix(1);
  name = name.substr(0, kBaseNameSize - 1);
  std::copy(name.begin(), name.end(), baseHeader_.begin() + kBaseName);
  SetBaseU32(kBaseEndFrame, static_cast<std::uint32_t>(kBaseHeaderSize));
  SetBaseU32(kBaseMaxMsg, kCreateMaxMsg);
  StoreU16(&baseHeader_[kBaseKeepDays], kCreateKeepDays);
  StoreU16(&baseHeader_[kBaseSzSqhdr], static_cast<std::uint16_t>(kMsgHeaderSize));
  if (!WriteBaseHeader()) return FailOpen(kErrorCreateSqd);
  return true;
}

void SquishBase::SetBaseU32(std::size_t offset, std::uint32_t value) {
  StoreU32(baseHeader_.data() + offset, value);
  headerChanged_ = true;
}

void SquishBase::SetField(std::size_t offset, std::size_t size, std::string_view value) {
  value = value.substr(0, size - 1);
  std::fill(msgHeader_.begin() + offset, msgHeader_.begin() + offset + size, '\0');
  std::copy(value.begin(), value.end(), msgHeader_.begin() + offset);
}

void SquishBase::SetFrom(std::string_view from) { SetField(kMsgFrom, kMsgFromSize, from); }
void SquishBase::SetTo(std::string_view to) { SetField(kMsgTo, kMsgToSize, to); }
void SquishBase::SetSubject(std::string_view subject) { SetField(kMsgSubj, kMsgSubjSize, subject); }

void SquishBase::SetAttr(bool on, std::uint32_t code) {
  std::uint32_t bits = SquishAttributeBits(code);
  if (bits == 0) return;
  std::uint32_t attr = on ? (MsgAttr() | bits) : (MsgAttr() & ~bits);
  StoreU32(msgHeader_.data() + kMsgAttr, attr);
}

void SquishBase::SetDosDate(std::size_t offset, const MsgDateTime& date) {
  std::uint16_t dosDate = 0;
  std::uint16_t dosTime = 0;
  EncodeDosDateTime(date, dosDate, dosTime);
  StoreU16(msgHeader_.data() + offset, dosDate);
  StoreU16(msgHeader_.data() + offset + 2, dosTime);
}

void SquishBase::SetDateWritten(const MsgDateTime& date) { SetDosDate(kMsgDateWritten, date); }
void SquishBase::SetDateArrived(const MsgDateTime& date) { SetDosDate(kMsgDateArrived, date); }

bool SquishBase::NewMessage() {
  if (!IsOpen() || !sqdOut_.IsOpen()) return false;
  msgHeader_.fill(0);
  index_ = IndexRecord();
  const std::uint32_t id = BaseU32(kBaseUid);
  SetCurrent(static_cast<std::int32_t>(id));
  StoreU32(msgHeader_.data() + kMsgUmsgid, id);
  SetBaseU32(kBaseUid, id + 1);
  SetBaseU32(kBaseNumMsg, BaseU32(kBaseNumMsg) + 1);
  SetBaseU32(kBaseHighMsg, BaseU32(kBaseHighMsg) + 1);
  StoreU32(msgHeader_.data() + kMsgAttr, kAttrUid);
  index_.umsgid = id;
  // The record goes after the last one.
  indexPos_ = static_cast<std::int32_t>(indexSize_);
  NewText();
  const MsgDateTime now = MsgDateTimeNow(clock());
  SetDateWritten(now);
  SetDateArrived(now);
  newMessage_ = true;
  return true;
}

bool SquishBase::WriteMessage() {
  if (!IsOpen() || !HasText() || !newMessage_ || !sqdOut_.IsOpen()) return false;
  std::string control;
  std::string_view body;
  SplitSquishControl(GetText()->Bytes(), control, body);
  // The text is stored with one 0 byte after it.
  const std::uint64_t msgLength64 = kMsgHeaderSize + control.size() + body.size() + 1;
  if (control.size() >= kMaxControlInfo || msgLength64 > kMaxMsgLength) {
    SetStatus(kErrorBadFrame);
    return false;
  }
  const std::uint32_t msgLength = static_cast<std::uint32_t>(msgLength64);
  // New frames go to the end of the data file; a base made here has no free frames to reuse.
  const std::int64_t end = sqdOut_.Size();
  if (!SquishFrameFits(static_cast<std::uint64_t>(end), msgLength)) {
    SetStatus(kErrorFrameIo);
    return false;
  }
  const std::uint32_t offset = static_cast<std::uint32_t>(end);

  Frame frame;
  frame.id = kFrameIdValue;
  frame.prev = BaseU32(kBaseLastFrame);
  frame.length = msgLength;
  frame.msgLength = msgLength;
  frame.clen = static_cast<std::uint32_t>(control.size());
  frame.type = kFrameTypeMessage;
  std::string to;
  GetTo(to);
  index_.ofs = offset;
  index_.hash = SquishHash(to);
  if (!AppendToMessageChain(offset, frame)) return false;
  FillHeaderForWriting();
  if (!WriteIndexRecord()) {
    SetStatus(kErrorFrameIo);
    return false;
  }

  std::string bytes(kFrameHeaderSize, '\0');
  frame.Encode(bytes.data());
  bytes.append(msgHeader_.data(), msgHeader_.size());
  bytes += control;
  bytes.append(body);
  bytes += '\0';
  if (!WriteSqd(offset, bytes.data(), bytes.size())) {
    SetStatus(kErrorFrameIo);
    return false;
  }
  SetBaseU32(kBaseEndFrame, static_cast<std::uint32_t>(sqdOut_.Size()));
  // Written once: another WriteMessage needs another NewMessage.
  newMessage_ = false;
  if (!WriteBaseHeader()) {
    SetStatus(kErrorFrameIo);
    return false;
  }
  return true;
}

bool SquishBase::AppendToMessageChain(std::uint32_t offset, const Frame& frame) {
  SetBaseU32(kBaseLastFrame, offset);
  if (frame.prev == 0) {
    SetBaseU32(kBaseBeginFrame, offset);
    return true;
  }
  char bytes[kFrameHeaderSize];
  if (sqdOut_.ReadAt(frame.prev, bytes, sizeof bytes) != sizeof bytes) {
    SetStatus(kErrorFrameIo);
    return false;
  }
  Frame previous = Frame::Decode(bytes);
  previous.next = offset;
  previous.Encode(bytes);
  if (!WriteSqd(frame.prev, bytes, sizeof bytes)) {
    SetStatus(kErrorFrameIo);
    return false;
  }
  return true;
}

void SquishBase::FillHeaderForWriting() {
  FtnAddress dest;
  FtnAddress orig;
  GetAddrs(dest, orig);
  const FtnAddress* addresses[] = {&orig, &dest};
  std::size_t at = kMsgOrig;
  for (const FtnAddress* a : addresses) {
    for (std::int16_t v : {a->zone, a->net, a->node, a->point}) {
      StoreU16(msgHeader_.data() + at, static_cast<std::uint16_t>(v));
      at += 2;
    }
  }
  StoreU16(msgHeader_.data() + kMsgUtcOfs, 0);
  // From the stored DOS words, so both dates of the header agree.
  MsgDateTime written;
  GetDateWritten(written);
  SetField(kMsgFtscDate, kMsgFtscDateSize, FormatMsgDateTime(written));
}

bool SquishBase::WriteIndexRecord() {
  char record[kIndexRecordSize];
  index_.Encode(record);
  if (!sqiOut_.Seek(indexPos_) || !sqiOut_.Write(record, sizeof record)) return false;
  indexSize_ = std::max<std::int64_t>(indexSize_, std::int64_t{indexPos_} + kIndexRecordSize);
  sqi_.Drop();
  return true;
}

bool SquishBase::WriteSqd(std::uint64_t offset, const void* bytes, std::size_t count) {
  sqd_.Drop();
  return sqdOut_.Seek(static_cast<std::int64_t>(offset)) && sqdOut_.Write(bytes, count);
}

bool SquishBase::WriteBaseHeader() {
  if (!sqdOut_.IsOpen()) return false;
  if (!WriteSqd(0, baseHeader_.data(), baseHeader_.size())) return false;
  headerChanged_ = false;
  return true;
}

}  // namespace tarnik
