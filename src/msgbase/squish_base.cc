#include "msgbase/squish_base.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/bytes.h"
#include "common/file_system.h"
#include "common/text.h"
#include "core/calendar.h"

namespace tarnik {

using namespace squish;

namespace {

// Frames are read through a window of the data file, so a scan in file order reads the file
// in large blocks rather than with a read per message.
constexpr std::size_t kWindowSize = 65536;
constexpr std::size_t kLeadSize = kFrameHeaderSize + kMsgHeaderSize;
constexpr std::size_t kIndexWindowRecords = 8192;

// Interface attribute code to stored attr bits; 0 for a code this format cannot store.
std::uint32_t StoredAttr(std::uint32_t code) {
  if (code != 0 && (code & ~0x3FFu) == 0) return code;
  switch (code) {
    case kAttrFileRequest:
      return 0x0800;
    case kAttrReturnReceiptRequest:
      return 0x1000;
    case kAttrAuditRequest:
      return 0x4000;
    case kAttrScanned:
      return 0x10000;
    default:
      return 0;
  }
}

}  // namespace

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

SquishBase::SquishBase(const Clock& clock) : MessageBase(clock) {}

SquishBase::~SquishBase() {
  CloseMessage();
  Close();
}

std::string SquishBase::FileName(std::string_view extension) const {
  return Path() + std::string(extension);
}

bool SquishBase::Open(const std::string& path) {
  if (IsOpen()) Close();
  const std::string base = WithFinalDot(path);
  SetPath(base);
  if (!FileExists(FileName("SQD"))) {
    SetStatus(kSquishNoSqd);
    return false;
  }
  if (!FileExists(FileName("SQI"))) {
    SetStatus(kSquishNoSqi);
    return false;
  }
  // Read-only: a scan never writes into a base, and a stale header written back over a
  // tosser's update would damage it. Writing operations reopen the files for writing.
  if (!sqd_.Open(FileName("SQD"), FileMode::kReadOnly)) {
    return FailOpen(kSquishOpenSqd);
  }
  if (!sqi_.Open(FileName("SQI"), FileMode::kReadOnly)) {
    return FailOpen(kSquishOpenSqi);
  }
  // A data file too short for its base header is not a Squish base.
  if (sqd_.ReadAt(0, baseHeader_.data(), baseHeader_.size()) != baseHeader_.size()) {
    return FailOpen(kSquishOpenSqd);
  }
  std::int64_t indexSize =
      std::min<std::int64_t>(sqi_.Size(), std::numeric_limits<std::int32_t>::max());
  indexSize_ = indexSize;
  DropIndexWindow();
  sqdSize_ = sqd_.Size();
  writable_ = false;
  headerChanged_ = false;
  newMessage_ = false;
  frame_ = Frame();
  frameOffset_ = 0;
  NoCurrent();
  SetOpen(true);
  return true;
}

bool SquishBase::Create(const std::string& path) {
  if (IsOpen()) Close();
  const std::string base = WithFinalDot(path);
  SetPath(base);
  std::string directory = DirectoryPart(base);
  if (!directory.empty()) CreateDirectories(directory);
  if (!sqd_.Open(FileName("SQD"), FileMode::kCreate)) {
    return FailOpen(kSquishCreateSqd);
  }
  if (!sqi_.Open(FileName("SQI"), FileMode::kCreate)) {
    return FailOpen(kSquishCreateSqi);
  }
  baseHeader_.fill(0);
  StoreU16(&baseHeader_[kBaseLen], static_cast<std::uint16_t>(kBaseHeaderSize));
  SetBaseU32(kBaseUid, 1);
  std::string_view name(base);
  name.remove_suffix(1);
  name = name.substr(0, kBaseNameSize - 1);
  std::copy(name.begin(), name.end(), baseHeader_.begin() + kBaseName);
  SetBaseU32(kBaseEndFrame, static_cast<std::uint32_t>(kBaseHeaderSize));
  SetBaseU32(kBaseMaxMsg, kCreateMaxMsg);
  StoreU16(&baseHeader_[kBaseKeepDays], kCreateKeepDays);
  StoreU16(&baseHeader_[kBaseSzSqhdr], static_cast<std::uint16_t>(kMsgHeaderSize));
  writable_ = true;
  indexSize_ = 0;
  DropIndexWindow();
  if (!WriteBaseHeader()) {
    return FailOpen(kSquishCreateSqd);
  }
  sqdSize_ = sqd_.Size();
  newMessage_ = false;
  frame_ = Frame();
  frameOffset_ = 0;
  NoCurrent();
  SetOpen(true);
  return true;
}

bool SquishBase::Exists(const std::string& path) {
  const std::string base = WithFinalDot(path);
  return FileExists(base + "SQD") && FileExists(base + "SQI");
}

void SquishBase::Close() {
  if (!IsOpen()) return;
  SetOpen(false);
  if (headerChanged_) WriteBaseHeader();
  sqd_.Close();
  sqi_.Close();
  writable_ = false;
  headerChanged_ = false;
  indexSize_ = 0;
  DropIndexWindow();
  window_.clear();
  windowStart_ = 0;
  SetPath("");
}

bool SquishBase::FailOpen(std::int32_t status) {
  sqd_.Close();
  sqi_.Close();
  SetStatus(status);
  SetPath("");
  return false;
}

std::int32_t SquishBase::IndexRecords() const {
  return static_cast<std::int32_t>(indexSize_ / static_cast<std::int64_t>(kIndexRecordSize));
}

void SquishBase::DropIndexWindow() {
  indexWindow_.clear();
  indexWindowStart_ = 0;
}

bool SquishBase::RecordAt(std::int64_t position, IndexRecord& record) {
  if (position < 0 || position + static_cast<std::int64_t>(kIndexRecordSize) > indexSize_) {
    return false;
  }
  if (position < indexWindowStart_ ||
      position + static_cast<std::int64_t>(kIndexRecordSize) >
          indexWindowStart_ + static_cast<std::int64_t>(indexWindow_.size())) {
    const std::int64_t want = std::min<std::int64_t>(
        indexSize_ - position, static_cast<std::int64_t>(kIndexWindowRecords * kIndexRecordSize));
    indexWindow_.resize(static_cast<std::size_t>(want));
    indexWindow_.resize(sqi_.ReadAt(position, indexWindow_.data(), indexWindow_.size()));
    indexWindowStart_ = position;
    if (indexWindow_.size() < kIndexRecordSize) return false;
  }
  const char* p = indexWindow_.data() + (position - indexWindowStart_);
  record.ofs = LoadU32(p + kIndexOfs);
  record.umsgid = LoadU32(p + kIndexUmsgid);
  record.hash = LoadU32(p + kIndexHash);
  return true;
}

void SquishBase::MakeCurrent(std::int64_t position) {
  IndexRecord record;
  if (!RecordAt(position, record)) {
    NoCurrent();
    return;
  }
  index_ = record;
  // RecordAt kept the record inside the index, whose size fits 32 bits.
  indexPos_ = static_cast<std::int32_t>(position);
  SetCurrent(static_cast<std::int32_t>(index_.umsgid));
}

void SquishBase::NoCurrent() {
  index_ = IndexRecord();
  indexPos_ = 0;
  SetCurrent(0);
}

bool SquishBase::MessageExists(std::int32_t n) {
  std::uint32_t id = static_cast<std::uint32_t>(n);
  IndexRecord record;
  for (std::int32_t i = 0; i < IndexRecords(); ++i) {
    if (!RecordAt(std::int64_t{i} * kIndexRecordSize, record)) break;
    if (record.umsgid == id) return true;
  }
  return false;
}

void SquishBase::SeekFrom(std::int32_t n) {
  std::uint32_t from = n < 0 ? 0 : static_cast<std::uint32_t>(n);
  IndexRecord record;
  for (std::int32_t i = 0; i < IndexRecords(); ++i) {
    std::int32_t position = i * static_cast<std::int32_t>(kIndexRecordSize);
    if (!RecordAt(position, record)) break;
    if (record.umsgid >= from) {
      MakeCurrent(position);
      return;
    }
  }
  NoCurrent();
}

// A partial record at the end of a truncated index counts as absent.
void SquishBase::SeekNext() {
  MakeCurrent(std::int64_t{indexPos_} + static_cast<std::int64_t>(kIndexRecordSize));
}

void SquishBase::SeekPrev() {
  MakeCurrent(std::int64_t{indexPos_} - static_cast<std::int64_t>(kIndexRecordSize));
}

std::int64_t SquishBase::WalkPlace() {
  return static_cast<std::int64_t>(indexPos_) / static_cast<std::int64_t>(kIndexRecordSize);
}

void SquishBase::SeekPlace(std::int64_t place) {
  if (place >= 0 && place < IndexRecords()) {
    MakeCurrent(place * static_cast<std::int64_t>(kIndexRecordSize));
  } else {
    NoCurrent();
  }
}

void SquishBase::SetPosition(std::int32_t position) { MakeCurrent(position); }

std::int64_t SquishBase::SqdSize(bool refresh) {
  if (refresh) sqdSize_ = sqd_.Size();
  return sqdSize_;
}

const char* SquishBase::ReadSqd(std::uint64_t offset, std::size_t count) {
  if (offset >= windowStart_ && offset + count <= windowStart_ + window_.size()) {
    return window_.data() + (offset - windowStart_);
  }
  std::string& buffer = count <= kWindowSize ? window_ : readBuffer_;
  std::size_t want = std::max(count, kWindowSize);
  std::uint64_t size = static_cast<std::uint64_t>(SqdSize(false));
  if (offset < size) want = static_cast<std::size_t>(std::min<std::uint64_t>(want, size - offset));
  want = std::max(want, count);
  buffer.resize(want);
  std::size_t got = sqd_.ReadAt(static_cast<std::int64_t>(offset), buffer.data(), want);
  buffer.resize(got);
  if (&buffer == &window_) windowStart_ = offset;
  return got >= count ? buffer.data() : nullptr;
}

bool SquishBase::WriteSqd(std::uint64_t offset, const void* bytes, std::size_t count) {
  window_.clear();
  windowStart_ = 0;
  return sqd_.Seek(static_cast<std::int64_t>(offset)) && sqd_.Write(bytes, count);
}

bool SquishBase::OpenMessage() { return LoadMessage(true); }

bool SquishBase::OpenHeader() { return LoadMessage(false); }

bool SquishBase::LoadMessage(bool withBody) {
  CloseMessage();
  const std::uint64_t ofs = index_.ofs;
  if (!IsOpen() || ofs == 0) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  // The size is cached; a base that grew since (a tosser appending) is looked at again.
  auto fits = [&](std::uint64_t length) {
    if (ofs + length <= static_cast<std::uint64_t>(SqdSize(false))) return true;
    return ofs + length <= static_cast<std::uint64_t>(SqdSize(true));
  };
  if (!fits(kLeadSize)) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  const char* p = ReadSqd(ofs, kLeadSize);
  if (p == nullptr) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  const Frame frame = DecodeFrame(p);
  if (frame.id != kFrameIdValue || frame.type != kFrameTypeMessage) {
    SetStatus(kSquishBadFrame);
    return false;
  }
  frame_ = frame;
  frameOffset_ = static_cast<std::uint32_t>(ofs);
  std::copy(p + kFrameHeaderSize, p + kLeadSize, msgHeader_.begin());
  const std::uint64_t clen = frame.clen;
  if (clen + 1 > kMaxControlInfo || frame.msgLength < kMsgHeaderSize + clen) {
    SetStatus(kSquishBadFrame);
    return false;
  }
  const std::uint64_t need =
      kFrameHeaderSize + (withBody ? std::uint64_t{frame.msgLength} : kMsgHeaderSize + clen);
  if (!fits(need)) {
    SetStatus(kSquishBadFrame);
    return false;
  }
  p = ReadSqd(ofs, static_cast<std::size_t>(need));
  if (p == nullptr) {
    SetStatus(kSquishFrameIo);
    return false;
  }

  std::string& out = NewText().Buffer();
  // Control information: each byte 1 after the first starts a new kludge line; 0 bytes add
  // nothing. An empty line (control information of only 0 bytes) is not written.
  const char* control = p + kLeadSize;
  std::size_t lineLength = 0;
  for (std::size_t i = 0; i < clen;) {
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
      while (end < clen && control[end] != 0 && control[end] != 1) ++end;
      const std::size_t take = std::min(end - i, kMaxKludgeLine - lineLength);
      out.append(control + i, take);
      lineLength += take;
      i = end;
    }
  }
  if (lineLength > 0) out += '\r';
  if (withBody) {
    const char* body = control + clen;
    std::size_t length = frame.msgLength - kMsgHeaderSize - static_cast<std::size_t>(clen);
    // Most writers end the text with a 0; the Husky library does not, and its last byte is
    // the final CR, which must stay.
    if (length > 0 && body[length - 1] == 0) --length;
    out.append(body, length);
  }
  SeekText(0);
  newMessage_ = false;
  return true;
}

bool SquishBase::CloseMessage() {
  bool had = HasText();
  DropText();
  return had;
}

std::int32_t SquishBase::GetHigh() { return static_cast<std::int32_t>(BaseU32(kBaseUid) - 1); }

std::int32_t SquishBase::GetCount() { return static_cast<std::int32_t>(BaseU32(kBaseNumMsg)); }

void SquishBase::GetField(std::size_t offset, std::size_t size, std::string& out) const {
  const char* start = msgHeader_.data() + offset;
  const char* end = std::find(start, start + size, '\0');
  out.assign(start, end);
}

void SquishBase::SetField(std::size_t offset, std::size_t size, std::string_view value) {
  value = value.substr(0, size - 1);
  std::fill(msgHeader_.begin() + offset, msgHeader_.begin() + offset + size, '\0');
  std::copy(value.begin(), value.end(), msgHeader_.begin() + offset);
}

void SquishBase::GetFrom(std::string& from) { GetField(kMsgFrom, kMsgFromSize, from); }
void SquishBase::GetTo(std::string& to) { GetField(kMsgTo, kMsgToSize, to); }
void SquishBase::GetSubject(std::string& subject) { GetField(kMsgSubj, kMsgSubjSize, subject); }
void SquishBase::SetFrom(std::string_view from) { SetField(kMsgFrom, kMsgFromSize, from); }
void SquishBase::SetTo(std::string_view to) { SetField(kMsgTo, kMsgToSize, to); }
void SquishBase::SetSubject(std::string_view subject) { SetField(kMsgSubj, kMsgSubjSize, subject); }

std::uint32_t SquishBase::MsgAttr() const { return LoadU32(msgHeader_.data() + kMsgAttr); }

bool SquishBase::GetAttr(std::uint32_t code) {
  std::uint32_t bits = StoredAttr(code);
  return bits != 0 && (MsgAttr() & bits) == bits;
}

void SquishBase::SetAttr(bool on, std::uint32_t code) {
  std::uint32_t bits = StoredAttr(code);
  if (bits == 0) return;
  std::uint32_t attr = on ? (MsgAttr() | bits) : (MsgAttr() & ~bits);
  StoreU32(msgHeader_.data() + kMsgAttr, attr);
}

bool SquishBase::IsRead() { return (MsgAttr() & kAttrRead) != 0; }

void SquishBase::SetRead(bool read) {
  std::uint32_t attr = read ? (MsgAttr() | kAttrRead) : (MsgAttr() & ~kAttrRead);
  StoreU32(msgHeader_.data() + kMsgAttr, attr);
}

void SquishBase::GetDosDate(std::size_t offset, MsgDateTime& date) const {
  DecodeDosDateTime(LoadU16(msgHeader_.data() + offset), LoadU16(msgHeader_.data() + offset + 2),
                    date);
  date.Sec100 = 0;
}

void SquishBase::SetDosDate(std::size_t offset, const MsgDateTime& date) {
  std::uint16_t day = static_cast<std::uint16_t>((date.Day & 31) | ((date.Month & 15) << 5) |
                                                 (((date.Year - 1980) & 127) << 9));
  std::uint16_t time = static_cast<std::uint16_t>(((date.Sec / 2) & 31) | ((date.Min & 63) << 5) |
                                                  ((date.Hour & 31) << 11));
  StoreU16(msgHeader_.data() + offset, day);
  StoreU16(msgHeader_.data() + offset + 2, time);
}

void SquishBase::GetDateWritten(MsgDateTime& date) { GetDosDate(kMsgDateWritten, date); }
void SquishBase::GetDateArrived(MsgDateTime& date) { GetDosDate(kMsgDateArrived, date); }
void SquishBase::SetDateWritten(const MsgDateTime& date) { SetDosDate(kMsgDateWritten, date); }
void SquishBase::SetDateArrived(const MsgDateTime& date) { SetDosDate(kMsgDateArrived, date); }

std::uint32_t SquishBase::BaseU32(std::size_t offset) const {
  return LoadU32(baseHeader_.data() + offset);
}

void SquishBase::SetBaseU32(std::size_t offset, std::uint32_t value) {
  StoreU32(baseHeader_.data() + offset, value);
  headerChanged_ = true;
}

bool SquishBase::WriteBaseHeader() {
  if (!writable_) return false;
  if (!WriteSqd(0, baseHeader_.data(), baseHeader_.size())) return false;
  headerChanged_ = false;
  return true;
}

bool SquishBase::EnsureWritable() {
  if (writable_) return true;
  if (!IsOpen()) return false;
  File sqd;
  File sqi;
  if (!sqd.Open(sqd_.Name(), FileMode::kReadWrite)) {
    SetStatus(kSquishOpenSqd);
    return false;
  }
  if (!sqi.Open(sqi_.Name(), FileMode::kReadWrite)) {
    SetStatus(kSquishOpenSqi);
    return false;
  }
  sqd_ = std::move(sqd);
  sqi_ = std::move(sqi);
  writable_ = true;
  return true;
}

bool SquishBase::ReadFrame(std::uint32_t offset, Frame& frame) {
  char bytes[kFrameHeaderSize];
  if (offset == 0 || sqd_.ReadAt(offset, bytes, sizeof bytes) != sizeof bytes) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  frame = DecodeFrame(bytes);
  return true;
}

SquishBase::Frame SquishBase::DecodeFrame(const char* bytes) {
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

void SquishBase::EncodeFrame(const Frame& frame, char* bytes) {
  StoreU32(bytes + kFrameId, frame.id);
  StoreU32(bytes + kFrameNext, frame.next);
  StoreU32(bytes + kFramePrev, frame.prev);
  StoreU32(bytes + kFrameLength, frame.length);
  StoreU32(bytes + kFrameMsgLength, frame.msgLength);
  StoreU32(bytes + kFrameClen, frame.clen);
  StoreU16(bytes + kFrameType, frame.type);
  StoreU16(bytes + kFrameRsvd, 0);
}

bool SquishBase::WriteFrame(std::uint32_t offset, const Frame& frame) {
  char bytes[kFrameHeaderSize];
  EncodeFrame(frame, bytes);
  if (offset == 0 || !WriteSqd(offset, bytes, sizeof bytes)) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  return true;
}

void SquishBase::UnlinkFromChain(const Frame& frame, std::size_t firstField,
                                 std::size_t lastField) {
  Frame other;
  if (frame.prev != 0) {
    if (ReadFrame(frame.prev, other)) {
      other.next = frame.next;
      WriteFrame(frame.prev, other);
    }
  } else {
    SetBaseU32(firstField, frame.next);
  }
  if (frame.next != 0) {
    if (ReadFrame(frame.next, other)) {
      other.prev = frame.prev;
      WriteFrame(frame.next, other);
    }
  } else {
    SetBaseU32(lastField, frame.prev);
  }
}

void SquishBase::AppendToFreeChain(std::uint32_t offset, Frame& frame) {
  frame.type = kFrameTypeFree;
  frame.next = 0;
  frame.prev = BaseU32(kBaseLastFreeFrame);
  if (frame.prev != 0) {
    Frame last;
    if (ReadFrame(frame.prev, last)) {
      last.next = offset;
      WriteFrame(frame.prev, last);
    }
  } else {
    SetBaseU32(kBaseFreeFrame, offset);
  }
  SetBaseU32(kBaseLastFreeFrame, offset);
  WriteFrame(offset, frame);
}

bool SquishBase::LinkIntoMessageChain(std::uint32_t offset, const Frame& frame) {
  Frame other;
  if (frame.next != 0) {
    if (!ReadFrame(frame.next, other)) return false;
    other.prev = offset;
    if (!WriteFrame(frame.next, other)) return false;
  } else {
    SetBaseU32(kBaseLastFrame, offset);
  }
  if (frame.prev != 0) {
    if (!ReadFrame(frame.prev, other)) return false;
    other.next = offset;
    if (!WriteFrame(frame.prev, other)) return false;
  } else {
    SetBaseU32(kBaseBeginFrame, offset);
  }
  return true;
}

bool SquishBase::NewMessage() {
  if (!IsOpen() || !EnsureWritable()) return false;
  msgHeader_.fill(0);
  frame_ = Frame();
  index_ = IndexRecord();
  std::uint32_t id = BaseU32(kBaseUid);
  SetCurrent(static_cast<std::int32_t>(id));
  StoreU32(msgHeader_.data() + kMsgUmsgid, id);
  SetBaseU32(kBaseUid, id + 1);
  SetBaseU32(kBaseNumMsg, BaseU32(kBaseNumMsg) + 1);
  SetBaseU32(kBaseHighMsg, BaseU32(kBaseHighMsg) + 1);
  frame_.id = kFrameIdValue;
  frameOffset_ = 0;
  StoreU32(msgHeader_.data() + kMsgAttr, kAttrUid);
  index_.umsgid = id;
  indexPos_ = static_cast<std::int32_t>(indexSize_);
  NewText();
  MsgDateTime now = MsgDateTimeNow(clock());
  SetDateWritten(now);
  SetDateArrived(now);
  newMessage_ = true;
  return true;
}

bool SquishBase::WriteMessage() {
  if (!IsOpen() || !HasText() || !EnsureWritable()) return false;
  // Leading ^A lines become the control information, the rest is the stored text.
  std::string_view text = GetText()->Bytes();
  std::string control;
  std::size_t bodyStart = text.size();
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != 13 && text[end] != 10 && text[end] != 0) ++end;
    if (text[pos] != 1) {
      bodyStart = pos;
      break;
    }
    control.append(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size()) {
      ++pos;
      if (pos < text.size() && text[pos] == 10) ++pos;
    }
  }
  control += '\0';
  std::string_view body = text.substr(bodyStart);
  const std::uint64_t msgLength64 = kMsgHeaderSize + control.size() + body.size() + 1;
  if (control.size() >= kMaxControlInfo || msgLength64 > 0x7FFFFFFF) {
    SetStatus(kSquishBadFrame);
    return false;
  }
  const std::uint32_t msgLength = static_cast<std::uint32_t>(msgLength64);

  Frame frame = frame_;
  if (newMessage_) {
    frame.prev = BaseU32(kBaseLastFrame);
    frame.next = 0;
  }
  std::uint32_t offset = 0;
  std::uint32_t frameLength = 0;
  bool existing = !newMessage_ && frameOffset_ != 0;
  if (existing && frame_.length >= msgLength) {
    offset = frameOffset_;
    frameLength = frame_.length;
  } else {
    if (existing) {
      // The message outgrew its frame: free the old frame; the message keeps its place in
      // the message chain (its neighbours are linked to the new frame below).
      UnlinkFromChain(frame_, kBaseBeginFrame, kBaseLastFrame);
      Frame freed = frame_;
      AppendToFreeChain(frameOffset_, freed);
    }
    // Each step visits another frame, so a damaged chain that loops ends here too.
    std::int64_t steps = SqdSize(true) / static_cast<std::int64_t>(kFrameHeaderSize) + 1;
    for (std::uint32_t at = BaseU32(kBaseFreeFrame); at != 0 && steps-- > 0;) {
      Frame candidate;
      if (!ReadFrame(at, candidate) || candidate.id != kFrameIdValue ||
          candidate.type != kFrameTypeFree) {
        break;
      }
      if (candidate.length >= msgLength) {
        UnlinkFromChain(candidate, kBaseFreeFrame, kBaseLastFreeFrame);
        offset = at;
        frameLength = candidate.length;
        break;
      }
      at = candidate.next;
    }
  }
  bool appended = offset == 0;
  if (appended) {
    std::int64_t end = SqdSize(true);
    if (end < static_cast<std::int64_t>(kBaseHeaderSize) || end + msgLength > 0xFFFFFFF0LL) {
      SetStatus(kSquishFrameIo);
      return false;
    }
    offset = static_cast<std::uint32_t>(end);
    frameLength = msgLength;
  }

  std::string to;
  GetTo(to);
  index_.ofs = offset;
  index_.hash = SquishHash(to);
  frame.id = kFrameIdValue;
  frame.length = frameLength;
  frame.msgLength = msgLength;
  frame.clen = static_cast<std::uint32_t>(control.size());
  frame.type = kFrameTypeMessage;
  if (!LinkIntoMessageChain(offset, frame)) return false;

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

  char record[kIndexRecordSize];
  StoreU32(record + kIndexOfs, index_.ofs);
  StoreU32(record + kIndexUmsgid, index_.umsgid);
  StoreU32(record + kIndexHash, index_.hash);
  if (!sqi_.Seek(indexPos_) || !sqi_.Write(record, sizeof record)) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  indexSize_ = std::max<std::int64_t>(indexSize_, std::int64_t{indexPos_} + kIndexRecordSize);
  DropIndexWindow();

  std::string bytes(kFrameHeaderSize, '\0');
  EncodeFrame(frame, bytes.data());
  bytes.append(msgHeader_.data(), msgHeader_.size());
  bytes += control;
  bytes.append(body);
  bytes += '\0';
  if (!WriteSqd(offset, bytes.data(), bytes.size())) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  if (appended) SetBaseU32(kBaseEndFrame, static_cast<std::uint32_t>(SqdSize(true)));
  frame_ = frame;
  frameOffset_ = offset;
  // The message now has a frame: writing it again must not link it in a second time.
  newMessage_ = false;
  if (!WriteBaseHeader()) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  return true;
}

bool SquishBase::RewriteHeader() {
  if (!IsOpen() || !EnsureWritable()) return false;
  if (frameOffset_ == 0 || !WriteSqd(std::uint64_t{frameOffset_} + kFrameHeaderSize,
                                     msgHeader_.data(), msgHeader_.size())) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  return true;
}

bool SquishBase::DeleteMessage() {
  if (!IsOpen() || !EnsureWritable()) return false;
  if (indexPos_ < 0 ||
      static_cast<std::int64_t>(indexPos_) + static_cast<std::int64_t>(kIndexRecordSize) >
          indexSize_) {
    return false;
  }
  std::uint32_t offset = index_.ofs;
  Frame frame;
  if (!ReadFrame(offset, frame)) return false;
  if (frame.id != kFrameIdValue || frame.type != kFrameTypeMessage) {
    SetStatus(kSquishBadFrame);
    return false;
  }
  UnlinkFromChain(frame, kBaseBeginFrame, kBaseLastFrame);
  // The records after this one move up by one.
  const std::int64_t tailAt = std::int64_t{indexPos_} + kIndexRecordSize;
  std::string tail(static_cast<std::size_t>(indexSize_ - tailAt), '\0');
  tail.resize(sqi_.ReadAt(tailAt, tail.data(), tail.size()));
  indexSize_ = indexPos_ + static_cast<std::int64_t>(tail.size());
  DropIndexWindow();
  if (!sqi_.Seek(indexPos_) || !sqi_.Write(tail.data(), tail.size()) || !sqi_.Truncate()) {
    SetStatus(kSquishFrameIo);
    return false;
  }
  AppendToFreeChain(offset, frame);
  if (BaseU32(kBaseNumMsg) > 0) SetBaseU32(kBaseNumMsg, BaseU32(kBaseNumMsg) - 1);
  if (BaseU32(kBaseHighMsg) > 0) SetBaseU32(kBaseHighMsg, BaseU32(kBaseHighMsg) - 1);
  WriteBaseHeader();
  if (frameOffset_ == offset) frameOffset_ = 0;
  indexPos_ -= static_cast<std::int32_t>(kIndexRecordSize);
  return true;
}

std::int32_t SquishBase::GetLastRead(std::int32_t user) {
  if (user < 0) return 0;
  File file;
  if (!file.Open(FileName("SQL"), FileMode::kReadOnly)) return 0;
  std::int64_t at = std::int64_t{user} * kLastReadSize;
  char bytes[kLastReadSize];
  if (file.Size() < at + static_cast<std::int64_t>(kLastReadSize) ||
      file.ReadAt(at, bytes, sizeof bytes) != sizeof bytes) {
    return 0;
  }
  return static_cast<std::int32_t>(LoadU32(bytes));
}

void SquishBase::SetLastRead(std::int32_t value, std::int32_t user) {
  if (user < 0) return;
  File file;
  if (!file.Open(FileName("SQL"), FileMode::kWriteOnly) &&
      !file.Open(FileName("SQL"), FileMode::kCreate)) {
    return;
  }
  char bytes[kLastReadSize];
  StoreU32(bytes, static_cast<std::uint32_t>(value));
  if (file.Seek(std::int64_t{user} * kLastReadSize)) file.Write(bytes, sizeof bytes);
}

}  // namespace tarnik
