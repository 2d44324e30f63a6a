#include "msgbase/jam_base.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "common/bytes.h"
#include "common/file_system.h"
#include "common/text.h"
#include "msgbase/kludge.h"

namespace tarnik {

namespace {

constexpr std::size_t kJhrWindowSize = 256 * 1024;
constexpr std::size_t kJdtWindowSize = 256 * 1024;
constexpr std::int64_t kIndexBlockRecords = 8192;

// The kludge lines a subfield is shown as (and which lines become that subfield when written).
constexpr std::string_view kLineMsgId = "\x01MSGID: ";
constexpr std::string_view kLineReply = "\x01REPLY: ";
constexpr std::string_view kLinePid = "\x01PID: ";
constexpr std::string_view kLineVia = "\x01Via ";
constexpr std::string_view kLineSeenBy = "SEEN-BY: ";
constexpr std::string_view kLinePath = "\x01PATH: ";
constexpr std::string_view kLineFlags =
    "\x01"
    "FLAGS: ";
constexpr std::string_view kLineKludge = "\x01";

std::string_view LinePrefix(std::uint16_t loId) {
  switch (loId) {
    case kJamMsgId:
      return kLineMsgId;
    case kJamReplyId:
      return kLineReply;
    case kJamPid:
      return kLinePid;
    case kJamTrace:
      return kLineVia;
    case kJamFtsKludge:
      return kLineKludge;
    case kJamSeenBy2D:
      return kLineSeenBy;
    case kJamPath2D:
      return kLinePath;
    case kJamFlags:
      return kLineFlags;
    default:
      return {};
  }
}

void AppendLine(std::string& text, std::string_view prefix, std::string_view data) {
  text.append(prefix);
  text.append(data);
  text.push_back('\r');
}

// An offset or length read from a file as the signed number the format treats it as.
bool NegativeAsSigned(std::uint32_t value) { return value > 0x7FFFFFFFu; }

void AppendSubfield(std::string& area, std::uint16_t loId, std::string_view data) {
  data = data.substr(0, kJamSubfieldDataMax);
  // Subfields past what a reader looks at would be lost anyway; keep the header readable.
  if (area.size() + kJamSubfieldHeaderSize + data.size() > kJamSubfieldAreaMax) return;
  char head[kJamSubfieldHeaderSize];
  StoreU16(head, loId);
  StoreU16(head + 2, 0);
  StoreU32(head + 4, static_cast<std::uint32_t>(data.size()));
  area.append(head, sizeof head);
  area.append(data);
}

}  // namespace

JamBase::JamBase(const Clock& clock) : MessageBase(clock) {}

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

void JamBase::SetBaseField(std::size_t offset, std::uint32_t value) {
  StoreU32(baseHeader_.data() + offset, value);
  baseHeaderChanged_ = true;
}

std::uint32_t JamBase::HeaderField(std::size_t offset) const {
  return LoadU32(header_.data() + offset);
}

void JamBase::SetHeaderField(std::size_t offset, std::uint32_t value) {
  StoreU32(header_.data() + offset, value);
}

std::int64_t JamBase::FirstNumber() const {
  return static_cast<std::int32_t>(BaseField(kJamBaseBaseMsgNum));
}

std::int64_t JamBase::IndexOf(std::int32_t n) const { return std::int64_t{n} - FirstNumber(); }

void JamBase::DropCaches() {
  jhrWindowLength_ = 0;
  jdtWindowLength_ = 0;
  indexBlockCount_ = 0;
}

bool JamBase::Open(const std::string& path) {
  if (IsOpen()) Close();
  const std::string base = WithFinalDot(path);
  SetPath(base);
  if (!FileExists(FileName("JHR"))) return FailOpen(kJamErrorNoHeaderFile);
  if (!FileExists(FileName("JDX"))) return FailOpen(kJamErrorNoIndexFile);
  if (!FileExists(FileName("JDT"))) return FailOpen(kJamErrorNoTextFile);
  // A scan never writes: the files are opened read-only, and name.JLR (which some writers
  // never make) only when lastread is asked for.
  if (!jhr_.Open(FileName("JHR"), FileMode::kReadOnly)) return FailOpen(kJamErrorOpenHeaderFile);
  if (!jdx_.Open(FileName("JDX"), FileMode::kReadOnly)) return FailOpen(kJamErrorOpenIndexFile);
  if (!jdt_.Open(FileName("JDT"), FileMode::kReadOnly)) return FailOpen(kJamErrorOpenTextFile);
  if (jhr_.ReadAt(0, baseHeader_.data(), kJamBaseHeaderSize) != kJamBaseHeaderSize) {
    return FailOpen(kJamErrorRead);
  }
  writable_ = false;
  baseHeaderChanged_ = false;
  jhrSize_ = jhr_.Size();
  jdtSize_ = jdt_.Size();
  indexCount_ = jdx_.Size() / static_cast<std::int64_t>(kJamIndexRecordSize);
  hdrOffset_ = -1;
  indexPosition_ = -1;
  DropCaches();
  SetOpen(true);
  return true;
}

bool JamBase::Create(const std::string& path) {
  if (IsOpen()) Close();
  const std::string base = WithFinalDot(path);
  SetPath(base);
  const std::string directory = DirectoryPart(base);
  if (!directory.empty()) CreateDirectories(directory);
  if (!jhr_.Open(FileName("JHR"), FileMode::kCreate)) return FailOpen(kJamErrorCreateHeaderFile);
  if (!jdx_.Open(FileName("JDX"), FileMode::kCreate)) return FailOpen(kJamErrorCreateIndexFile);
  if (!jdt_.Open(FileName("JDT"), FileMode::kCreate)) return FailOpen(kJamErrorCreateTextFile);
  File jlr;
  if (!jlr.Open(FileName("JLR"), FileMode::kCreate)) return FailOpen(kJamErrorLastReadFile);
  baseHeader_.fill(0);
  std::memcpy(baseHeader_.data() + kJamBaseSignature, kJamSignature.data(), kJamSignature.size());
  SetBaseField(kJamBaseDateCreated, JamDateToSeconds(MsgDateTimeNow(clock())));
  SetBaseField(kJamBaseModCounter, 0);
  SetBaseField(kJamBaseActiveMsgs, 0);
  SetBaseField(kJamBasePasswordCrc, kJamNone);
  SetBaseField(kJamBaseBaseMsgNum, 1);
  if (!jhr_.Seek(0) || !jhr_.Write(baseHeader_.data(), kJamBaseHeaderSize)) {
    return FailOpen(kJamErrorCreateHeaderFile);
  }
  writable_ = true;
  jhrSize_ = jhr_.Size();
  jdtSize_ = 0;
  indexCount_ = 0;
  hdrOffset_ = -1;
  indexPosition_ = -1;
  DropCaches();
  SetOpen(true);
  return true;
}

bool JamBase::FailOpen(std::int32_t status) {
  jhr_.Close();
  jdx_.Close();
  jdt_.Close();
  SetPath("");
  SetStatus(status);
  return false;
}

bool JamBase::Exists(const std::string& path) {
  const std::string base = WithFinalDot(path);
  return FileExists(base + "JHR") && FileExists(base + "JDX") && FileExists(base + "JDT");
}

void JamBase::Close() {
  if (!jhr_.IsOpen() || !jdx_.IsOpen() || !jdt_.IsOpen()) return;
  CloseMessage();
  if (writable_ && baseHeaderChanged_ && jhr_.Seek(0)) {
    jhr_.Write(baseHeader_.data(), kJamBaseHeaderSize);
  }
  jhr_.Flush();
  jdx_.Flush();
  jdt_.Flush();
  jhr_.Close();
  jdx_.Close();
  jdt_.Close();
  writable_ = false;
  baseHeaderChanged_ = false;
  DropCaches();
  SetOpen(false);
}

bool JamBase::EnsureWritable() {
  if (writable_) return true;
  if (!IsOpen()) return false;
  File jhr, jdx, jdt;
  if (!jhr.Open(FileName("JHR"), FileMode::kReadWrite)) {
    SetStatus(kJamErrorOpenHeaderFile);
    return false;
  }
  if (!jdx.Open(FileName("JDX"), FileMode::kReadWrite)) {
    SetStatus(kJamErrorOpenIndexFile);
    return false;
  }
  if (!jdt.Open(FileName("JDT"), FileMode::kReadWrite)) {
    SetStatus(kJamErrorOpenTextFile);
    return false;
  }
  jhr_ = std::move(jhr);
  jdx_ = std::move(jdx);
  jdt_ = std::move(jdt);
  writable_ = true;
  DropCaches();
  return true;
}

bool JamBase::ReadIndexRecord(std::int64_t index, std::uint32_t& userCrc,
                              std::uint32_t& hdrOffset) {
  if (index < 0 || index >= indexCount_) return false;
  if (index < indexBlockFirst_ || index >= indexBlockFirst_ + indexBlockCount_) {
    const std::int64_t count = std::min(kIndexBlockRecords, indexCount_ - index);
    const std::size_t bytes = static_cast<std::size_t>(count) * kJamIndexRecordSize;
    indexBlock_.resize(bytes);
    const std::size_t got = jdx_.ReadAt(index * static_cast<std::int64_t>(kJamIndexRecordSize),
                                        indexBlock_.data(), bytes);
    indexBlockFirst_ = index;
    indexBlockCount_ = static_cast<std::int64_t>(got / kJamIndexRecordSize);
    if (indexBlockCount_ == 0) return false;
  }
  const char* record = indexBlock_.data() +
                       (index - indexBlockFirst_) * static_cast<std::int64_t>(kJamIndexRecordSize);
  userCrc = LoadU32(record + kJamIdxUserCrc);
  hdrOffset = LoadU32(record + kJamIdxHdrOffset);
  return true;
}

bool JamBase::WriteIndexRecord(std::int64_t index, std::uint32_t userCrc, std::uint32_t hdrOffset) {
  char record[kJamIndexRecordSize];
  StoreU32(record + kJamIdxUserCrc, userCrc);
  StoreU32(record + kJamIdxHdrOffset, hdrOffset);
  indexBlockCount_ = 0;
  if (!jdx_.Seek(index * static_cast<std::int64_t>(kJamIndexRecordSize)) ||
      !jdx_.Write(record, sizeof record)) {
    return false;
  }
  indexCount_ = std::max(indexCount_, index + 1);
  return true;
}

std::string_view JamBase::HeaderBytes(std::int64_t offset, std::size_t count) {
  const bool inside = offset >= jhrWindowStart_ &&
                      offset + static_cast<std::int64_t>(count) <=
                          jhrWindowStart_ + static_cast<std::int64_t>(jhrWindowLength_);
  if (!inside) {
    jhrWindow_.resize(kJhrWindowSize);
    jhrWindowStart_ = offset;
    jhrWindowLength_ = jhr_.ReadAt(offset, jhrWindow_.data(), kJhrWindowSize);
  }
  const std::size_t skip = static_cast<std::size_t>(offset - jhrWindowStart_);
  return std::string_view(jhrWindow_.data() + skip,
                          std::min(count, jhrWindowLength_ - std::min(skip, jhrWindowLength_)));
}

bool JamBase::ReadJdt(std::int64_t offset, std::size_t count, char* out) {
  if (count == 0) return true;
  if (count > kJdtWindowSize) return jdt_.ReadAt(offset, out, count) == count;
  const bool inside = offset >= jdtWindowStart_ &&
                      offset + static_cast<std::int64_t>(count) <=
                          jdtWindowStart_ + static_cast<std::int64_t>(jdtWindowLength_);
  if (!inside) {
    jdtWindow_.resize(kJdtWindowSize);
    jdtWindowStart_ = offset;
    jdtWindowLength_ = jdt_.ReadAt(offset, jdtWindow_.data(), kJdtWindowSize);
    if (jdtWindowLength_ < count) return false;
  }
  std::memcpy(out, jdtWindow_.data() + (offset - jdtWindowStart_), count);
  return true;
}

bool JamBase::MessageExists(std::int32_t n) {
  std::uint32_t userCrc = 0, hdrOffset = 0;
  return ReadIndexRecord(IndexOf(n), userCrc, hdrOffset) && hdrOffset != kJamNone;
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

std::int32_t JamBase::GetCount() {
  return static_cast<std::int32_t>(BaseField(kJamBaseActiveMsgs));
}

bool JamBase::OpenMessage() { return LoadMessage(true); }

bool JamBase::OpenHeader() { return LoadMessage(false); }

bool JamBase::CloseMessage() {
  DropText();
  return true;
}

bool JamBase::LoadMessage(bool withBody) {
  CloseMessage();
  hdrOffset_ = -1;
  header_.fill(0);
  auto fail = [&](std::int32_t status) {
    hdrOffset_ = -1;
    header_.fill(0);
    DropText();
    SetStatus(status);
    return false;
  };
  if (!IsOpen()) return fail(kJamErrorRead);
  const std::int64_t index = IndexOf(GetCurrent());
  std::uint32_t userCrc = 0, offset = 0;
  if (!ReadIndexRecord(index, userCrc, offset)) return fail(kJamErrorRead);
  indexPosition_ = index * static_cast<std::int64_t>(kJamIndexRecordSize);
  indexUserCrc_ = userCrc;
  // The fixed header must lie wholly inside the file.
  if (NegativeAsSigned(offset) || offset > jhrSize_ ||
      jhrSize_ - offset < static_cast<std::int64_t>(kJamMsgHeaderSize)) {
    return fail(kJamErrorBadHdrOffset);
  }
  const std::size_t want = static_cast<std::size_t>(
      std::min<std::int64_t>(jhrSize_ - offset, static_cast<std::int64_t>(kJamHeaderBufferSize)));
  const std::string_view bytes = HeaderBytes(offset, want);
  if (bytes.size() < kJamMsgHeaderSize) return fail(kJamErrorRead);
  std::memcpy(header_.data(), bytes.data(), kJamMsgHeaderSize);
  hdrOffset_ = offset;

  const std::uint32_t txtOffset = HeaderField(kJamHdrTxtOffset);
  const std::uint32_t txtLen = HeaderField(kJamHdrTxtLen);
  if (NegativeAsSigned(txtOffset) || txtOffset > jdtSize_ ||
      static_cast<std::int64_t>(txtLen) > jdtSize_ - txtOffset) {
    return fail(kJamErrorBadTxtOffset);
  }

  JamSubfields(bytes.substr(kJamMsgHeaderSize), HeaderField(kJamHdrSubfieldLen), subfields_);
  ClearAddress(origAddress_);
  ClearAddress(destAddress_);
  from_.clear();
  to_.clear();
  subject_.clear();
  const std::uint32_t attribute = HeaderField(kJamHdrAttribute);
  for (const JamSubfield& field : subfields_) {
    switch (field.loId) {
      case kJamOAddress:
        ParseAddress(field.data, origAddress_);
        break;
      case kJamDAddress:
        ParseAddress(field.data, destAddress_);
        break;
      case kJamSenderName:
        from_.assign(field.data);
        break;
      case kJamReceiverName:
        to_.assign(field.data);
        break;
      case kJamSubject:
        subject_.assign(field.data);
        break;
      case kJamEnclosedFile:
        if (attribute & kJamAttrFileAttach) subject_.assign(field.data);
        break;
      case kJamEnclosedFreq:
        if (attribute & kJamAttrFileRequest) subject_.assign(field.data);
        break;
      default:
        break;
    }
  }

  MessageText& text = NewText();
  std::string& out = text.Buffer();
  for (const JamSubfield& field : subfields_) {
    switch (field.loId) {
      case kJamMsgId:
      case kJamReplyId:
      case kJamPid:
      case kJamFtsKludge:
      case kJamFlags:
        AppendLine(out, LinePrefix(field.loId), field.data);
        break;
      default:
        break;
    }
  }
  if (withBody) {
    const std::size_t start = out.size();
    out.resize(start + txtLen);
    if (!ReadJdt(txtOffset, txtLen, out.data() + start)) return fail(kJamErrorRead);
    // Trace, then seen-by, then path lines follow the body, each kind in subfield order.
    for (std::uint16_t kind : {kJamTrace, kJamSeenBy2D, kJamPath2D}) {
      for (const JamSubfield& field : subfields_) {
        if (field.loId == kind) AppendLine(out, LinePrefix(kind), field.data);
      }
    }
  }
  subfields_.clear();
  if (withBody) {
    if (origAddress_.zone != 0) SetOrigAddr(false, origAddress_);
    if (destAddress_.zone != 0) SetDestAddr(destAddress_);
  }
  SeekText(0);
  return true;
}

void JamBase::SetFrom(std::string_view from) { from_ = CutShort(from); }

void JamBase::SetTo(std::string_view to) { to_ = CutShort(to); }

void JamBase::SetSubject(std::string_view subject) { subject_ = CutShort(subject); }

bool JamBase::GetAttr(std::uint32_t code) {
  const std::uint32_t bits = JamAttributeBits(code);
  return bits != 0 && (HeaderField(kJamHdrAttribute) & bits) == bits;
}

void JamBase::SetAttr(bool on, std::uint32_t code) {
  const std::uint32_t bits = JamAttributeBits(code);
  const std::uint32_t attribute = HeaderField(kJamHdrAttribute);
  SetHeaderField(kJamHdrAttribute, on ? attribute | bits : attribute & ~bits);
}

void JamBase::GetDateWritten(MsgDateTime& date) {
  JamSecondsToDate(HeaderField(kJamHdrDateWritten), date);
}

void JamBase::GetDateArrived(MsgDateTime& date) {
  JamSecondsToDate(HeaderField(kJamHdrDateProcessed), date);
}

void JamBase::SetDateWritten(const MsgDateTime& date) {
  SetHeaderField(kJamHdrDateWritten, JamDateToSeconds(date));
}

void JamBase::SetDateArrived(const MsgDateTime& date) {
  SetHeaderField(kJamHdrDateProcessed, JamDateToSeconds(date));
}

bool JamBase::IsRead() { return HeaderField(kJamHdrTimesRead) != 0; }

void JamBase::SetRead(bool read) {
  SetHeaderField(kJamHdrTimesRead, read ? HeaderField(kJamHdrTimesRead) + 1 : 0);
}

bool JamBase::NewMessage() {
  CloseMessage();
  if (!EnsureWritable()) return false;
  SetBaseField(kJamBaseActiveMsgs, BaseField(kJamBaseActiveMsgs) + 1);
  const std::int32_t number = GetHigh();
  SetCurrent(number);
  header_.fill(0);
  ClearAddress(origAddress_);
  ClearAddress(destAddress_);
  from_.clear();
  to_.clear();
  subject_.clear();
  indexUserCrc_ = kJamNone;
  // Appended after the last whole record, so a torn trailing record cannot shift the index.
  indexPosition_ = indexCount_ * static_cast<std::int64_t>(kJamIndexRecordSize);
  hdrOffset_ = -1;
  std::memcpy(header_.data() + kJamHdrSignature, kJamSignature.data(), kJamSignature.size());
  StoreU16(header_.data() + kJamHdrRevision, 1);
  SetHeaderField(kJamHdrMsgIdCrc, kJamNone);
  SetHeaderField(kJamHdrReplyCrc, kJamNone);
  SetHeaderField(kJamHdrPasswordCrc, kJamNone);
  SetHeaderField(kJamHdrMessageNumber, static_cast<std::uint32_t>(number));
  const MsgDateTime now = MsgDateTimeNow(clock());
  SetDateWritten(now);
  SetDateArrived(now);
  NewText();
  return true;
}

bool JamBase::WriteMessage() {
  if (!HasText() || indexPosition_ < 0) return false;
  if (!EnsureWritable()) return false;
  FtnAddress dest, orig;
  GetAddrs(dest, orig);
  std::string area;
  AppendSubfield(area, kJamSenderName, from_);
  AppendSubfield(area, kJamOAddress, FormatAddress4D(orig));
  AppendSubfield(area, kJamReceiverName, to_);
  const FtnAddress zero;
  AppendSubfield(area, kJamDAddress,
                 FormatAddress4D(CompareAddress(dest, zero) == 0 ? orig : dest));
  if (!subject_.empty()) AppendSubfield(area, kJamSubject, subject_);
  const std::uint32_t attribute = HeaderField(kJamHdrAttribute);
  if (attribute & kJamAttrFileAttach) AppendSubfield(area, kJamEnclosedFile, subject_);
  if (attribute & kJamAttrFileRequest) AppendSubfield(area, kJamEnclosedFreq, subject_);

  struct Named {
    std::string_view prefix;
    std::uint16_t loId;
  };
  static constexpr Named kNamed[] = {{kLineMsgId, kJamMsgId},     {kLineReply, kJamReplyId},
                                     {kLinePid, kJamPid},         {kLineVia, kJamTrace},
                                     {kLineSeenBy, kJamSeenBy2D}, {kLinePath, kJamPath2D},
                                     {kLineFlags, kJamFlags}};
  std::string body;
  MessageText& text = *GetText();
  text.Seek(0);
  while (!text.AtEnd()) {
    // Body lines are copied whole; only subfield data is cut to its limit.
    const std::string_view line = text.ReadLine(static_cast<std::size_t>(text.Size()));
    bool stored = false;
    for (const Named& named : kNamed) {
      if (line.substr(0, named.prefix.size()) != named.prefix) continue;
      const std::string_view data = line.substr(named.prefix.size()).substr(0, kJamSubfieldDataMax);
      AppendSubfield(area, named.loId, data);
      if (named.loId == kJamMsgId) SetHeaderField(kJamHdrMsgIdCrc, JamCrc(data));
      if (named.loId == kJamReplyId) SetHeaderField(kJamHdrReplyCrc, JamCrc(data));
      stored = true;
      break;
    }
    if (stored) continue;
    if (line.substr(0, kKludgeIntl.size()) == kKludgeIntl ||
        line.substr(0, kKludgeFmpt.size()) == kKludgeFmpt ||
        line.substr(0, kKludgeTopt.size()) == kKludgeTopt) {
      continue;
    }
    if (!line.empty() && line[0] == 1) {
      AppendSubfield(area, kJamFtsKludge, line.substr(1));
      continue;
    }
    body.append(line);
    body.push_back('\r');
  }
  text.Seek(text.Size());

  std::uint32_t attr = HeaderField(kJamHdrAttribute);
  auto typeBit = [&](std::uint32_t flag, std::uint32_t bit) {
    attr = HasTypeFlag(flag) ? attr | bit : attr & ~bit;
  };
  typeBit(kTypeEchomail, kJamAttrTypeEcho);
  typeBit(kTypeNetmail, kJamAttrTypeNet);
  typeBit(kTypeLocal, kJamAttrTypeLocal);
  SetHeaderField(kJamHdrAttribute, attr);
  SetHeaderField(kJamHdrSubfieldLen, static_cast<std::uint32_t>(area.size()));

  const std::int64_t hdrOffset = jhr_.Size();
  const std::int64_t txtOffset = jdt_.Size();
  indexUserCrc_ = JamCrc(to_);
  if (!WriteIndexRecord(indexPosition_ / static_cast<std::int64_t>(kJamIndexRecordSize),
                        indexUserCrc_, static_cast<std::uint32_t>(hdrOffset))) {
    SetStatus(kJamErrorRead);
    return false;
  }
  SetHeaderField(kJamHdrTxtOffset, static_cast<std::uint32_t>(txtOffset));
  SetHeaderField(kJamHdrTxtLen, static_cast<std::uint32_t>(body.size()));
  SetBaseField(kJamBaseModCounter, BaseField(kJamBaseModCounter) + 1);
  std::string record(header_.data(), header_.size());
  record += area;
  jhrWindowLength_ = 0;
  jdtWindowLength_ = 0;
  const bool written = jhr_.Seek(hdrOffset) && jhr_.Write(record.data(), record.size()) &&
                       jdt_.Seek(txtOffset) && jdt_.Write(body.data(), body.size());
  jhr_.Flush();
  jdx_.Flush();
  jdt_.Flush();
  jhrSize_ = jhr_.Size();
  jdtSize_ = jdt_.Size();
  if (!written) {
    SetStatus(kJamErrorRead);
    return false;
  }
  hdrOffset_ = hdrOffset;
  return true;
}

bool JamBase::RewriteHeader() {
  if (hdrOffset_ < 0) return false;
  if (!EnsureWritable()) return false;
  jhrWindowLength_ = 0;
  return jhr_.Seek(hdrOffset_) && jhr_.Write(header_.data(), header_.size());
}

bool JamBase::DeleteMessage() {
  if (!EnsureWritable()) return false;
  const std::int64_t index = IndexOf(GetCurrent());
  if (index < 0 || index >= indexCount_) return false;
  if (!WriteIndexRecord(index, kJamNone, kJamNone)) {
    SetStatus(kJamErrorRead);
    return false;
  }
  SetBaseField(kJamBaseActiveMsgs, BaseField(kJamBaseActiveMsgs) - 1);
  SetCurrent(GetCurrent() - 1);
  return true;
}

std::int32_t JamBase::GetLastRead(std::int32_t user) {
  if (Path().empty()) return 0;
  File jlr;
  if (!jlr.Open(FileName("JLR"), FileMode::kReadOnly)) return 0;
  char record[kJamLastReadRecordSize];
  for (std::int64_t at = 0; jlr.ReadAt(at, record, sizeof record) == sizeof record;
       at += sizeof record) {
    if (static_cast<std::int32_t>(LoadU32(record + kJamLrUserId)) == user) {
      return static_cast<std::int32_t>(LoadU32(record + kJamLrHighReadMsg));
    }
  }
  return 0;
}

void JamBase::SetLastRead(std::int32_t value, std::int32_t user) {
  if (Path().empty()) return;
  File jlr;
  if (!jlr.Open(FileName("JLR"), FileMode::kReadWrite) &&
      !jlr.Open(FileName("JLR"), FileMode::kCreate)) {
    SetStatus(kJamErrorLastReadFile);
    return;
  }
  char record[kJamLastReadRecordSize];
  std::int64_t at = 0;
  for (; jlr.ReadAt(at, record, sizeof record) == sizeof record; at += sizeof record) {
    if (static_cast<std::int32_t>(LoadU32(record + kJamLrUserId)) == user) break;
  }
  if (jlr.ReadAt(at, record, sizeof record) != sizeof record) {
    // No record for the user: append one after the last whole record.
    StoreU32(record + kJamLrUserCrc, static_cast<std::uint32_t>(user));
    StoreU32(record + kJamLrUserId, static_cast<std::uint32_t>(user));
  }
  StoreU32(record + kJamLrLastReadMsg, static_cast<std::uint32_t>(value));
  StoreU32(record + kJamLrHighReadMsg, static_cast<std::uint32_t>(value));
  if (jlr.Seek(at)) jlr.Write(record, sizeof record);
}

}  // namespace tarnik
