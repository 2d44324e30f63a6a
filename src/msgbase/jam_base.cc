#include "msgbase/jam_base.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "common/bytes.h"
#include "common/text.h"
#include "msgbase/kludge.h"

namespace tarnik {

using namespace jam;

namespace {

constexpr std::size_t kJhrBlock = 256 * 1024;
constexpr std::size_t kJdtBlock = 256 * 1024;
constexpr std::size_t kJdxBlock = 8192 * kIndexRecordSize;

// An offset or length read from a file as the signed number the format treats it as: one
// with the top bit set is negative, so it points nowhere.
bool NegativeAsSigned(std::uint32_t value) { return value > 0x7FFFFFFFu; }

}  // namespace

JamBase::JamBase(const Clock& clock, const FileOpener& files)
    : MessageBase(clock, files), jhr_(kJhrBlock), jdx_(kJdxBlock), jdt_(kJdtBlock) {}

JamBase::~JamBase() {
  CloseMessage();
  Close();
}

std::string JamBase::FileName(std::string_view extension) const {
  return Path() + std::string(extension);
}

std::uint32_t JamBase::BaseField(std::size_t offset) const {
  return LoadU32(baseHeader_.data() + offset);
}

std::uint32_t JamBase::HeaderField(std::size_t offset) const {
  return LoadU32(header_.data() + offset);
}

// Number 0 means "no message" and numbers are signed 32-bit: such a BaseMsgNum would hide
// every message from the walk, while numbering from 1 reads them all.
std::int64_t JamBase::FirstNumber() const {
  const std::uint32_t stored = BaseField(kBaseBaseMsgNum);
  return stored == 0 || NegativeAsSigned(stored) ? 1 : std::int64_t{stored};
}

std::string JamBase::DescribeDamage() {
  const std::uint32_t stored = BaseField(kBaseBaseMsgNum);
  if (stored == 0) return "BaseMsgNum is 0; the messages are numbered from 1";
  if (NegativeAsSigned(stored)) {
    return "BaseMsgNum is " + Decimal(stored) +
           ", past the largest message number; the messages are numbered from 1";
  }
  const std::int64_t past =
      FirstNumber() + indexCount_ - 1 - std::int64_t{std::numeric_limits<std::int32_t>::max()};
  if (past <= 0) return {};
  return "BaseMsgNum is " + Decimal(stored) + ": the last " + Decimal(past) + " of " +
         Decimal(indexCount_) + " index records would be numbered past " +
         Decimal(std::numeric_limits<std::int32_t>::max()) + " and are not read";
}

std::int64_t JamBase::IndexOf(std::int32_t n) const { return std::int64_t{n} - FirstNumber(); }

bool JamBase::Open(const std::string& path) {
  if (IsOpen()) Close();
  SetPath(WithFinalDot(path));
  if (!files().FileExists(FileName("JHR"))) return FailOpen(kErrorNoHeaderFile);
  if (!files().FileExists(FileName("JDX"))) return FailOpen(kErrorNoIndexFile);
  if (!files().FileExists(FileName("JDT"))) return FailOpen(kErrorNoTextFile);
  if (!OpenSources()) return false;
  newMessage_ = false;
  baseHeaderChanged_ = false;
  SetOpen(true);
  return true;
}

// name.JLR, which some writers never make, is not needed for reading.
bool JamBase::OpenSources() {
  jhr_.Reset(files().OpenRead(FileName("JHR")));
  if (!jhr_.HasSource()) return FailOpen(kErrorOpenHeaderFile);
  jdx_.Reset(files().OpenRead(FileName("JDX")));
  if (!jdx_.HasSource()) return FailOpen(kErrorOpenIndexFile);
  jdt_.Reset(files().OpenRead(FileName("JDT")));
  if (!jdt_.HasSource()) return FailOpen(kErrorOpenTextFile);
  const std::string_view header = jhr_.View(0, kBaseHeaderSize);
  if (header.size() != kBaseHeaderSize) return FailOpen(kErrorRead);
  std::copy(header.begin(), header.end(), baseHeader_.begin());
  jhrSize_ = jhr_.Size();
  jdtSize_ = jdt_.Size();
  indexCount_ = jdx_.Size() / static_cast<std::int64_t>(kIndexRecordSize);
  return true;
}

void JamBase::CloseFiles() {
  jhrOut_.Close();
  jdxOut_.Close();
  jdtOut_.Close();
  jhr_.Reset(nullptr);
  jdx_.Reset(nullptr);
  jdt_.Reset(nullptr);
}

bool JamBase::FailOpen(std::int32_t status) {
  CloseFiles();
  SetPath("");
  SetStatus(status);
  return false;
}

bool JamBase::Exists(const std::string& path) {
  const std::string base = WithFinalDot(path);
  return files().FileExists(base + "JHR") && files().FileExists(base + "JDX") &&
         files().FileExists(base + "JDT");
}

void JamBase::Close() {
  if (!jhr_.HasSource()) return;
  CloseMessage();
  // Only a base this object created is ever written.
  if (baseHeaderChanged_) WriteBaseHeader();
  CloseFiles();
  newMessage_ = false;
  baseHeaderChanged_ = false;
  SetOpen(false);
}

bool JamBase::ReadIndexRecord(std::int64_t index, std::uint32_t& userCrc,
                              std::uint32_t& hdrOffset) {
  if (index < 0 || index >= indexCount_) return false;
  const std::string_view record =
      jdx_.View(index * static_cast<std::int64_t>(kIndexRecordSize), kIndexRecordSize);
  if (record.size() < kIndexRecordSize) return false;
  userCrc = LoadU32(record.data() + kIdxUserCrc);
  hdrOffset = LoadU32(record.data() + kIdxHdrOffset);
  return true;
}

// A deleted message keeps its index record, with HdrOffset kNone; its header, still in
// name.JHR, is not looked at.
bool JamBase::MessageExists(std::int32_t n) {
  std::uint32_t userCrc = 0, hdrOffset = 0;
  return ReadIndexRecord(IndexOf(n), userCrc, hdrOffset) && hdrOffset != kNone;
}

// Numbers below BaseMsgNum have no index record. The walk starts at the first one that has,
// so a damaged BaseMsgNum of some thousand million does not make it try every number below.
void JamBase::SeekNext() {
  const std::int64_t first = FirstNumber();
  const std::int64_t end = std::min<std::int64_t>(
      first + indexCount_, std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1);
  for (std::int64_t n = std::max<std::int64_t>(std::int64_t{GetCurrent()} + 1, first); n < end;
       ++n) {
    if (MessageExists(static_cast<std::int32_t>(n))) {
      SetCurrent(static_cast<std::int32_t>(n));
      return;
    }
  }
  SetCurrent(0);
}

void JamBase::SeekPrev() {
  const std::int64_t first = FirstNumber();
  const std::int64_t last = first + indexCount_ - 1;
  for (std::int64_t n = std::min<std::int64_t>(std::int64_t{GetCurrent()} - 1, last);
       n >= std::max<std::int64_t>(first, 1); --n) {
    if (MessageExists(static_cast<std::int32_t>(n))) {
      SetCurrent(static_cast<std::int32_t>(n));
      return;
    }
  }
  SetCurrent(0);
}

std::int32_t JamBase::GetHigh() { return static_cast<std::int32_t>(FirstNumber() + indexCount_); }

std::int32_t JamBase::GetCount() { return static_cast<std::int32_t>(BaseField(kBaseActiveMsgs)); }

bool JamBase::OpenMessage() { return LoadMessage(true); }

bool JamBase::OpenHeader() { return LoadMessage(false); }

bool JamBase::CloseMessage() {
  DropText();
  return true;
}

bool JamBase::FailLoad(std::int32_t status) {
  header_.fill(0);
  subfields_.clear();
  DropText();
  SetStatus(status);
  return false;
}

bool JamBase::LoadMessage(bool withBody) {
  CloseMessage();
  header_.fill(0);
  const std::string_view bytes = ReadHeader();
  if (bytes.empty()) return false;
  const std::uint32_t txtOffset = HeaderField(kHdrTxtOffset);
  const std::uint32_t txtLen = HeaderField(kHdrTxtLen);
  if (NegativeAsSigned(txtOffset) || txtOffset > jdtSize_ ||
      static_cast<std::int64_t>(txtLen) > jdtSize_ - txtOffset) {
    return FailLoad(kErrorBadTxtOffset);
  }
  JamSubfields(bytes.substr(kMsgHeaderSize), HeaderField(kHdrSubfieldLen), subfields_);
  TakeHeaderSubfields();

  std::string& out = NewText().Buffer();
  AppendLeadingLines(out);
  if (withBody) {
    if (txtLen > 0) {
      const std::string_view text = jdt_.View(txtOffset, txtLen);
      if (text.size() < txtLen) return FailLoad(kErrorRead);
      out.append(text);
    }
    AppendTrailingLines(out);
  }
  subfields_.clear();
  // The addresses live in subfields, not in kludge lines: the MSGID line is rewritten with
  // the origin (or added), and netmail gets its INTL and point lines, so the caller reads
  // the addresses from the text as for the other formats.
  if (withBody) {
    if (origAddress_.zone != 0) SetOrigAddr(false, origAddress_);
    if (destAddress_.zone != 0) SetDestAddr(destAddress_);
  }
  SeekText(0);
  return true;
}

std::string_view JamBase::ReadHeader() {
  if (!IsOpen()) {
    FailLoad(kErrorRead);
    return {};
  }
  std::uint32_t userCrc = 0, offset = 0;
  if (!ReadIndexRecord(IndexOf(GetCurrent()), userCrc, offset)) {
    FailLoad(kErrorRead);
    return {};
  }
  // The fixed header must lie wholly inside the file.
  if (NegativeAsSigned(offset) || offset > jhrSize_ ||
      jhrSize_ - offset < static_cast<std::int64_t>(kMsgHeaderSize)) {
    FailLoad(kErrorBadHdrOffset);
    return {};
  }
  const std::size_t want = static_cast<std::size_t>(
      std::min<std::int64_t>(jhrSize_ - offset, static_cast<std::int64_t>(kHeaderBufferSize)));
  const std::string_view bytes = jhr_.View(offset, want);
  if (bytes.size() < kMsgHeaderSize) {
    FailLoad(kErrorRead);
    return {};
  }
  std::memcpy(header_.data(), bytes.data(), kMsgHeaderSize);
  return bytes;
}

void JamBase::TakeHeaderSubfields() {
  ClearAddress(origAddress_);
  ClearAddress(destAddress_);
  from_.clear();
  to_.clear();
  subject_.clear();
  const std::uint32_t attribute = HeaderField(kHdrAttribute);
  for (const Subfield& field : subfields_) {
    switch (field.loId) {
      case kOAddress:
        ParseAddress(field.data, origAddress_);
        break;
      case kDAddress:
        ParseAddress(field.data, destAddress_);
        break;
      case kSenderName:
        from_.assign(field.data);
        break;
      case kReceiverName:
        to_.assign(field.data);
        break;
      case kSubject:
        subject_.assign(field.data);
        break;
      // A file attach or request names its files where other formats keep them: in the
      // subject.
      case kEnclosedFile:
        if (attribute & kMsgFileAttach) subject_.assign(field.data);
        break;
      case kEnclosedFreq:
        if (attribute & kMsgFileRequest) subject_.assign(field.data);
        break;
      default:
        break;
    }
  }
}

void JamBase::AppendLeadingLines(std::string& out) const {
  for (const Subfield& field : subfields_) {
    switch (field.loId) {
      case kMsgId:
      case kReplyId:
      case kPid:
      case kFlags:
        AppendKludgeLine(out, JamKludgeName(field.loId), field.data);
        out += '\r';
        break;
      case kFtsKludge:
        // Any other kludge, stored without its byte 1.
        out += '\x01';
        out.append(field.data);
        out += '\r';
        break;
      default:
        break;
    }
  }
}

// Trace, then SEEN-BY, then PATH lines follow the body, each kind in subfield order, where
// the other formats keep them.
void JamBase::AppendTrailingLines(std::string& out) const {
  for (std::uint16_t kind : {kTrace, kSeenBy2D, kPath2D}) {
    for (const Subfield& field : subfields_) {
      if (field.loId != kind) continue;
      AppendKludgeLine(out, JamKludgeName(kind), field.data);
      out += '\r';
    }
  }
}

bool JamBase::GetAttr(std::uint32_t code) {
  const std::uint32_t bits = JamAttributeBits(code);
  return bits != 0 && (HeaderField(kHdrAttribute) & bits) == bits;
}

void JamBase::GetDateWritten(MsgDateTime& date) {
  JamSecondsToDate(HeaderField(kHdrDateWritten), date);
}

void JamBase::GetDateArrived(MsgDateTime& date) {
  JamSecondsToDate(HeaderField(kHdrDateProcessed), date);
}

bool JamBase::IsRead() { return HeaderField(kHdrTimesRead) != 0; }

}  // namespace tarnik
