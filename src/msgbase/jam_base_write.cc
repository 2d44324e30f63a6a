// The writing side of JamBase: makes a new base and appends messages to it.

#include <algorithm>
#include <cstring>
#include <string>

#include "common/bytes.h"
#include "common/file_system.h"
#include "common/text.h"
#include "msgbase/jam_base.h"
#include "msgbase/kludge.h"

namespace tarnik {

using namespace jam;

bool JamBase::Create(const std::string& path) {
  if (IsOpen()) Close();
  SetPath(WithFinalDot(path));
  if (!CreateFiles()) return false;
  // What was just written is read back through the reading side, as a scan would.
  if (!OpenSources()) return false;
  newMessage_ = false;
  SetOpen(true);
  return true;
}

// Other programs expect all four files, so an empty name.JLR is made too.
bool JamBase::CreateFiles() {
  const std::string directory = DirectoryPart(Path());
  if (!directory.empty()) CreateDirectories(directory);
  if (!jhrOut_.Open(FileName("JHR"), FileMode::kCreate)) return FailOpen(kErrorCreateHeaderFile);
  if (!jdxOut_.Open(FileName("JDX"), FileMode::kCreate)) return FailOpen(kErrorCreateIndexFile);
  if (!jdtOut_.Open(FileName("JDT"), FileMode::kCreate)) return FailOpen(kErrorCreateTextFile);
  File jlr;
  if (!jlr.Open(FileName("JLR"), FileMode::kCreate)) return FailOpen(kErrorLastReadFile);
  baseHeader_.fill(0);
  std::memcpy(baseHeader_.data() + kBaseSignature, kSignature.data(), kSignature.size());
  SetBaseField(kBaseDateCreated, JamDateToSeconds(MsgDateTimeNow(clock())));
  SetBaseField(kBaseModCounter, 0);
  SetBaseField(kBaseActiveMsgs, 0);
  SetBaseField(kBasePasswordCrc, kNone);
  SetBaseField(kBaseBaseMsgNum, 1);
  if (!WriteBaseHeader()) return FailOpen(kErrorCreateHeaderFile);
  return true;
}

void JamBase::SetBaseField(std::size_t offset, std::uint32_t value) {
  StoreU32(baseHeader_.data() + offset, value);
  baseHeaderChanged_ = true;
}

void JamBase::SetHeaderField(std::size_t offset, std::uint32_t value) {
  StoreU32(header_.data() + offset, value);
}

bool JamBase::WriteBaseHeader() {
  jhr_.Drop();
  return jhrOut_.IsOpen() && jhrOut_.Seek(0) && jhrOut_.Write(baseHeader_.data(), kBaseHeaderSize);
}

void JamBase::SetFrom(std::string_view from) { from_ = CutShort(from); }

void JamBase::SetTo(std::string_view to) { to_ = CutShort(to); }

void JamBase::SetSubject(std::string_view subject) { subject_ = CutShort(subject); }

void JamBase::SetAttr(bool on, std::uint32_t code) {
  const std::uint32_t bits = JamAttributeBits(code);
  const std::uint32_t attribute = HeaderField(kHdrAttribute);
  SetHeaderField(kHdrAttribute, on ? attribute | bits : attribute & ~bits);
}

void JamBase::SetDateWritten(const MsgDateTime& date) {
  SetHeaderField(kHdrDateWritten, JamDateToSeconds(date));
}

void JamBase::SetDateArrived(const MsgDateTime& date) {
  SetHeaderField(kHdrDateProcessed, JamDateToSeconds(date));
}

bool JamBase::NewMessage() {
  CloseMessage();
  if (!IsOpen() || !jhrOut_.IsOpen()) return false;
  SetBaseField(kBaseActiveMsgs, BaseField(kBaseActiveMsgs) + 1);
  const std::int32_t number = GetHigh();
  SetCurrent(number);
  header_.fill(0);
  ClearAddress(origAddress_);
  ClearAddress(destAddress_);
  from_.clear();
  to_.clear();
  subject_.clear();
  // Appended after the last whole record, so a torn trailing record cannot shift the index.
  newIndex_ = indexCount_;
  std::memcpy(header_.data() + kHdrSignature, kSignature.data(), kSignature.size());
  StoreU16(header_.data() + kHdrRevision, 1);
  SetHeaderField(kHdrMsgIdCrc, kNone);
  SetHeaderField(kHdrReplyCrc, kNone);
  SetHeaderField(kHdrPasswordCrc, kNone);
  SetHeaderField(kHdrMessageNumber, static_cast<std::uint32_t>(number));
  const MsgDateTime now = MsgDateTimeNow(clock());
  SetDateWritten(now);
  SetDateArrived(now);
  NewText();
  newMessage_ = true;
  return true;
}

bool JamBase::WriteMessage() {
  if (!HasText() || !newMessage_ || !jhrOut_.IsOpen()) return false;
  FtnAddress dest, orig;
  GetAddrs(dest, orig);
  std::string area;
  AppendJamSubfield(area, kSenderName, from_);
  AppendJamSubfield(area, kOAddress, FormatAddress4D(orig));
  AppendJamSubfield(area, kReceiverName, to_);
  // Echomail has no destination: the origin stands in, as other writers do.
  const FtnAddress zero;
  AppendJamSubfield(area, kDAddress,
                    FormatAddress4D(CompareAddress(dest, zero) == 0 ? orig : dest));
  if (!subject_.empty()) AppendJamSubfield(area, kSubject, subject_);
  const std::uint32_t attribute = HeaderField(kHdrAttribute);
  if (attribute & kMsgFileAttach) AppendJamSubfield(area, kEnclosedFile, subject_);
  if (attribute & kMsgFileRequest) AppendJamSubfield(area, kEnclosedFreq, subject_);
  std::string body;
  SplitText(area, body);

  std::uint32_t attr = HeaderField(kHdrAttribute);
  auto typeBit = [&](std::uint32_t flag, std::uint32_t bit) {
    attr = HasTypeFlag(flag) ? attr | bit : attr & ~bit;
  };
  typeBit(kTypeEchomail, kMsgTypeEcho);
  typeBit(kTypeNetmail, kMsgTypeNet);
  typeBit(kTypeLocal, kMsgTypeLocal);
  SetHeaderField(kHdrAttribute, attr);
  SetHeaderField(kHdrSubfieldLen, static_cast<std::uint32_t>(area.size()));

  const std::int64_t hdrOffset = jhrOut_.Size();
  const std::int64_t txtOffset = jdtOut_.Size();
  if (!WriteIndexRecord(newIndex_, JamCrc(to_), static_cast<std::uint32_t>(hdrOffset))) {
    SetStatus(kErrorRead);
    return false;
  }
  SetHeaderField(kHdrTxtOffset, static_cast<std::uint32_t>(txtOffset));
  SetHeaderField(kHdrTxtLen, static_cast<std::uint32_t>(body.size()));
  SetBaseField(kBaseModCounter, BaseField(kBaseModCounter) + 1);
  std::string record(header_.data(), header_.size());
  record += area;
  jhr_.Drop();
  jdt_.Drop();
  const bool written = jhrOut_.Seek(hdrOffset) && jhrOut_.Write(record.data(), record.size()) &&
                       jdtOut_.Seek(txtOffset) && jdtOut_.Write(body.data(), body.size());
  jhrSize_ = jhrOut_.Size();
  jdtSize_ = jdtOut_.Size();
  // Written once: another WriteMessage needs another NewMessage.
  newMessage_ = false;
  if (!written) {
    SetStatus(kErrorRead);
    return false;
  }
  return true;
}

void JamBase::SplitText(std::string& area, std::string& body) {
  MessageText& text = *GetText();
  text.Seek(0);
  while (!text.AtEnd()) {
    // Body lines are copied whole; only subfield data is cut to its limit.
    const std::string_view line = text.ReadLine(static_cast<std::size_t>(text.Size()));
    std::uint16_t loId = 0;
    std::string_view value;
    if (JamKludgeSubfield(line, loId, value)) {
      value = value.substr(0, kSubfieldDataMax);
      AppendJamSubfield(area, loId, value);
      if (loId == kMsgId) SetHeaderField(kHdrMsgIdCrc, JamCrc(value));
      if (loId == kReplyId) SetHeaderField(kHdrReplyCrc, JamCrc(value));
      continue;
    }
    // The addresses travel in OADDRESS and DADDRESS; a reader makes these lines again.
    if (line.substr(0, kKludgeIntl.size()) == kKludgeIntl ||
        line.substr(0, kKludgeFmpt.size()) == kKludgeFmpt ||
        line.substr(0, kKludgeTopt.size()) == kKludgeTopt) {
      continue;
    }
    if (!line.empty() && line[0] == 1) {
      AppendJamSubfield(area, kFtsKludge, line.substr(1));
      continue;
    }
    body.append(line);
    body.push_back('\r');
  }
  text.Seek(text.Size());
}

bool JamBase::WriteIndexRecord(std::int64_t index, std::uint32_t userCrc, std::uint32_t hdrOffset) {
  char record[kIndexRecordSize];
  StoreU32(record + kIdxUserCrc, userCrc);
  StoreU32(record + kIdxHdrOffset, hdrOffset);
  jdx_.Drop();
  if (!jdxOut_.Seek(index * static_cast<std::int64_t>(kIndexRecordSize)) ||
      !jdxOut_.Write(record, sizeof record)) {
    return false;
  }
  indexCount_ = std::max(indexCount_, index + 1);
  return true;
}

}  // namespace tarnik
