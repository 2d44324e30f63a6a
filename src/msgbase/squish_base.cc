#include "msgbase/squish_base.h"

#include <algorithm>
#include <limits>

#include "common/bytes.h"
#include "common/text.h"

namespace tarnik {

using namespace squish;

namespace {

constexpr std::size_t kSqdBlock = 65536;
constexpr std::size_t kSqiBlock = 8192 * kIndexRecordSize;
// Frame header and message header, read before anything else of a frame.
constexpr std::size_t kLeadSize = kFrameHeaderSize + kMsgHeaderSize;

}  // namespace

SquishBase::SquishBase(const Clock& clock, const FileOpener& files)
    : MessageBase(clock, files), sqd_(kSqdBlock), sqi_(kSqiBlock) {}

SquishBase::~SquishBase() {
  CloseMessage();
  Close();
}

std::string SquishBase::FileName(std::string_view extension) const {
  return Path() + std::string(extension);
}

bool SquishBase::Open(const std::string& path) {
  if (IsOpen()) Close();
  SetPath(WithFinalDot(path));
  if (!files().FileExists(FileName("SQD"))) {
    SetStatus(kErrorNoSqd);
    return false;
  }
  if (!files().FileExists(FileName("SQI"))) {
    SetStatus(kErrorNoSqi);
    return false;
  }
  if (!OpenSources()) return false;
  newMessage_ = false;
  headerChanged_ = false;
  NoCurrent();
  SetOpen(true);
  return true;
}

bool SquishBase::OpenSources() {
  sqd_.Reset(files().OpenRead(FileName("SQD")));
  if (!sqd_.HasSource()) return FailOpen(kErrorOpenSqd);
  sqi_.Reset(files().OpenRead(FileName("SQI")));
  if (!sqi_.HasSource()) return FailOpen(kErrorOpenSqi);
  // A data file too short for its base header is not a Squish base.
  const std::string_view header = sqd_.View(0, kBaseHeaderSize);
  if (header.size() != kBaseHeaderSize) return FailOpen(kErrorOpenSqd);
  std::copy(header.begin(), header.end(), baseHeader_.begin());
  // Index positions are int32 (GetPosition), so a larger index is read up to that size.
  indexSize_ = std::min<std::int64_t>(sqi_.Size(), std::numeric_limits<std::int32_t>::max());
  sqdSize_ = sqd_.Size();
  return true;
}

bool SquishBase::Exists(const std::string& path) {
  const std::string base = WithFinalDot(path);
  return files().FileExists(base + "SQD") && files().FileExists(base + "SQI");
}

void SquishBase::Close() {
  if (!IsOpen()) return;
  SetOpen(false);
  // Only a base this object created is ever written.
  if (headerChanged_) WriteBaseHeader();
  CloseFiles();
  headerChanged_ = false;
  indexSize_ = 0;
  SetPath("");
}

void SquishBase::CloseFiles() {
  sqdOut_.Close();
  sqiOut_.Close();
  sqd_.Reset(nullptr);
  sqi_.Reset(nullptr);
}

bool SquishBase::FailOpen(std::int32_t status) {
  CloseFiles();
  SetStatus(status);
  SetPath("");
  return false;
}

std::int32_t SquishBase::IndexRecords() const {
  return static_cast<std::int32_t>(indexSize_ / static_cast<std::int64_t>(kIndexRecordSize));
}

bool SquishBase::RecordAt(std::int64_t position, IndexRecord& record) {
  if (position < 0 || position + static_cast<std::int64_t>(kIndexRecordSize) > indexSize_) {
    return false;
  }
  const std::string_view bytes = sqi_.View(position, kIndexRecordSize);
  if (bytes.size() < kIndexRecordSize) return false;
  record = IndexRecord::Decode(bytes.data());
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

// Ids normally rise through the index, but nothing in the format makes them: the first record
// in file order with an id of at least n is taken, as a scan resuming from n expects.
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

// Unique ids start at 1, so a record holding 0 is one a crash left unwritten (zeros) rather
// than a message; number 0 means "no message" to every walk.
std::string SquishBase::DescribeDamage() {
  const std::int32_t records = IndexRecords();
  std::int32_t first = -1;
  std::int32_t zeros = 0;
  IndexRecord record;
  for (std::int32_t i = 0; i < records; ++i) {
    if (!RecordAt(std::int64_t{i} * kIndexRecordSize, record)) break;
    if (record.umsgid != 0) continue;
    if (first < 0) first = i;
    ++zeros;
  }
  if (zeros == 0) return {};
  return Decimal(zeros) + " of " + Decimal(records) +
         " index records hold message number 0; the walk ends at record " + Decimal(first + 1) +
         ", so the last " + Decimal(records - first) + " are not read";
}

std::int64_t SquishBase::SqdSize(bool refresh) {
  if (refresh) sqdSize_ = sqd_.Size();
  return sqdSize_;
}

bool SquishBase::OpenMessage() { return LoadMessage(true); }

bool SquishBase::OpenHeader() { return LoadMessage(false); }

bool SquishBase::LoadMessage(bool withBody) {
  CloseMessage();
  Frame frame;
  const std::string_view bytes = ReadFrame(withBody, frame);
  if (bytes.empty()) return false;
  std::string& out = NewText().Buffer();
  const std::string_view control = bytes.substr(kLeadSize, frame.clen);
  AppendSquishControlLines(control, out);
  if (withBody) {
    std::string_view body = bytes.substr(kLeadSize + frame.clen);
    // Most writers end the text with a 0; the Husky library does not, and its last byte is
    // the final CR, which must stay.
    if (!body.empty() && body.back() == 0) body.remove_suffix(1);
    out.append(body);
  }
  SeekText(0);
  // The header buffer holds a stored message now, which WriteMessage must not store as new.
  newMessage_ = false;
  return true;
}

std::string_view SquishBase::ReadFrame(bool withBody, Frame& frame) {
  const std::uint64_t ofs = index_.ofs;
  // Offset 0 is the base header: the index record of a message never points there.
  if (!IsOpen() || ofs == 0) {
    SetStatus(kErrorFrameIo);
    return {};
  }
  // The size is cached; a base that grew since (a tosser appending) is looked at again.
  auto fits = [&](std::uint64_t length) {
    if (ofs + length <= static_cast<std::uint64_t>(SqdSize(false))) return true;
    return ofs + length <= static_cast<std::uint64_t>(SqdSize(true));
  };
  if (!fits(kLeadSize)) {
    SetStatus(kErrorFrameIo);
    return {};
  }
  std::string_view lead = sqd_.View(static_cast<std::int64_t>(ofs), kLeadSize);
  if (lead.size() < kLeadSize) {
    SetStatus(kErrorFrameIo);
    return {};
  }
  frame = Frame::Decode(lead.data());
  if (frame.id != kFrameIdValue || frame.type != kFrameTypeMessage) {
    SetStatus(kErrorBadFrame);
    return {};
  }
  std::copy(lead.begin() + kFrameHeaderSize, lead.end(), msgHeader_.begin());
  // msg_length counts the message header, the control information and the text, so it can
  // never be less than the first two; a frame claiming otherwise is damaged.
  const std::uint64_t clen = frame.clen;
  if (clen + 1 > kMaxControlInfo || frame.msgLength < kMsgHeaderSize + clen) {
    SetStatus(kErrorBadFrame);
    return {};
  }
  const std::uint64_t need =
      kFrameHeaderSize + (withBody ? std::uint64_t{frame.msgLength} : kMsgHeaderSize + clen);
  if (!fits(need)) {
    SetStatus(kErrorBadFrame);
    return {};
  }
  const std::string_view bytes =
      sqd_.View(static_cast<std::int64_t>(ofs), static_cast<std::size_t>(need));
  if (bytes.size() < need) {
    SetStatus(kErrorFrameIo);
    return {};
  }
  return bytes;
}

bool SquishBase::CloseMessage() {
  bool had = HasText();
  DropText();
  return had;
}

// uid is the next id to give out, so the last one given is one less.
std::int32_t SquishBase::GetHigh() { return static_cast<std::int32_t>(BaseU32(kBaseUid) - 1); }

std::int32_t SquishBase::GetCount() { return static_cast<std::int32_t>(BaseU32(kBaseNumMsg)); }

std::uint32_t SquishBase::BaseU32(std::size_t offset) const {
  return LoadU32(baseHeader_.data() + offset);
}

void SquishBase::GetField(std::size_t offset, std::size_t size, std::string& out) const {
  const char* start = msgHeader_.data() + offset;
  const char* end = std::find(start, start + size, '\0');
  out.assign(start, end);
}

void SquishBase::GetFrom(std::string& from) { GetField(kMsgFrom, kMsgFromSize, from); }
void SquishBase::GetTo(std::string& to) { GetField(kMsgTo, kMsgToSize, to); }
void SquishBase::GetSubject(std::string& subject) { GetField(kMsgSubj, kMsgSubjSize, subject); }

std::uint32_t SquishBase::MsgAttr() const { return LoadU32(msgHeader_.data() + kMsgAttr); }

bool SquishBase::GetAttr(std::uint32_t code) {
  std::uint32_t bits = SquishAttributeBits(code);
  return bits != 0 && (MsgAttr() & bits) == bits;
}

bool SquishBase::IsRead() { return (MsgAttr() & kAttrRead) != 0; }

void SquishBase::GetDosDate(std::size_t offset, MsgDateTime& date) const {
  DecodeDosDateTime(LoadU16(msgHeader_.data() + offset), LoadU16(msgHeader_.data() + offset + 2),
                    date);
  date.Sec100 = 0;
}

void SquishBase::GetDateWritten(MsgDateTime& date) { GetDosDate(kMsgDateWritten, date); }
void SquishBase::GetDateArrived(MsgDateTime& date) { GetDosDate(kMsgDateArrived, date); }

}  // namespace tarnik
