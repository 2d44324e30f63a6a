#include "msgbase/message_base.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/clock.h"
#include "common/text.h"
#include "msgbase/jam_base.h"
#include "msgbase/msg_dir_base.h"
#include "msgbase/squish_base.h"

namespace tarnik {

MessageBase::MessageBase(const Clock& clock, const FileOpener& files)
    : clock_(clock), files_(files), serial_(clock) {}

MessageBase::~MessageBase() { DropText(); }

void MessageBase::SeekFrom(std::int32_t n) {
  // A negative start would only walk numbers that cannot exist; start at 0 instead.
  current_ = n > 0 ? n - 1 : -1;
  SeekNext();
}

void MessageBase::SeekPlace(std::int64_t place) {
  if (place > std::numeric_limits<std::int32_t>::max()) {
    current_ = 0;
    return;
  }
  SeekFrom(static_cast<std::int32_t>(std::max<std::int64_t>(place, 0)));
}

void MessageBase::SeekNext() {
  for (;;) {
    std::int64_t next = static_cast<std::int64_t>(current_) + 1;
    if (next > GetHigh()) {
      current_ = 0;
      return;
    }
    current_ = static_cast<std::int32_t>(next);
    if (MessageExists(current_)) return;
  }
}

void MessageBase::SeekPrev() {
  for (;;) {
    std::int64_t previous = static_cast<std::int64_t>(current_) - 1;
    if (previous < 1) {
      current_ = 0;
      return;
    }
    current_ = static_cast<std::int32_t>(previous);
    if (MessageExists(current_)) return;
  }
}

void MessageBase::GetOrigAddr(FtnAddress& address) {
  ClearAddress(address);
  AddrsFromKludges(nullptr, &address);
}

void MessageBase::GetDestAddr(FtnAddress& address) {
  ClearAddress(address);
  AddrsFromKludges(&address, nullptr);
}

void MessageBase::GetAddrs(FtnAddress& dest, FtnAddress& orig) {
  ClearAddress(dest);
  ClearAddress(orig);
  AddrsFromKludges(&dest, &orig);
}

void MessageBase::AddrsFromKludges(FtnAddress* dest, FtnAddress* orig) {
  if (!hasText_) return;
  const std::string_view text = text_.Bytes();
  auto apply = [&](std::size_t start) {
    const std::size_t end = FindLineEnd(text, start);
    const std::string_view line = text.substr(start, std::min(end - start, kReadLineBuffer - 1));
    if (orig != nullptr) tarnik::ParseOrigKludge(*orig, line);
    if (dest != nullptr) tarnik::ParseDestKludge(*dest, line);
  };
  if (!text.empty()) apply(0);
  // Every byte 0, 10 or 13 ends a line or is the LF of a CR LF pair, so a byte 1 right after
  // one starts a line: the kludge lines are found without splitting the whole text.
  for (std::size_t at = text.find('\x01', 1); at != std::string_view::npos;
       at = text.find('\x01', at + 1)) {
    const char before = text[at - 1];
    if (before == 13 || before == 10 || before == 0) apply(at);
  }
  text_.Seek(text_.Size());
}

void MessageBase::SetOrigAddr(bool renew, const FtnAddress& address) {
  // A JAM base rewrites this line for every message it loads: the new line is built in one
  // reused buffer and spliced over the old one found by a single search.
  std::string& line = msgIdLine_;
  line.assign(kKludgeMsgId);
  line += ' ';
  AppendAddress(line, address);
  line += ' ';
  if (!renew && FindKludgeBuf(kReadLineBuffer, scratch_, kKludgeMsgId)) {
    line += WordOf(scratch_, 3, " ");
    SpliceLine(static_cast<std::size_t>(kludgeStart_), static_cast<std::size_t>(kludgeEnd_), line,
               true);
  } else {
    line += NewSerial();
    ReplaceKludge(line, kKludgeMsgId);
  }
  if (HasTypeFlag(kTypeNetmail)) {
    FtnAddress dest;
    GetDestAddr(dest);
    WriteNetmailKludges(dest, address, kKludgeFmpt, address.point);
  }
}

void MessageBase::SetDestAddr(const FtnAddress& address) {
  if (!HasTypeFlag(kTypeNetmail)) return;
  FtnAddress orig;
  GetOrigAddr(orig);
  WriteNetmailKludges(address, orig, kKludgeTopt, address.point);
}

void MessageBase::WriteNetmailKludges(const FtnAddress& dest, const FtnAddress& orig,
                                      std::string_view pointKludge, std::int16_t point) {
  // INTL carries zone:net/node of both ends; the points travel in FMPT and TOPT.
  ReplaceKludge(KludgeLine(kKludgeIntl, FormatAddress3D(dest) + " " + FormatAddress3D(orig)),
                kKludgeIntl);
  if (point == 0) {
    DeleteKludge(pointKludge);
  } else {
    ReplaceKludge(KludgeLine(pointKludge, Decimal(point)), pointKludge);
  }
}

void MessageBase::SetAddrs(bool renew, const FtnAddress& dest, const FtnAddress& orig) {
  SetOrigAddr(renew, orig);
  SetDestAddr(dest);
}

void MessageBase::ReadLineBuf(std::size_t maxBytes, std::string& line) {
  line.assign(ReadLineView(maxBytes));
}

std::string_view MessageBase::ReadLineView(std::size_t maxBytes) {
  if (!hasText_ || maxBytes == 0) return {};
  return text_.ReadLine(maxBytes - 1);
}

void MessageBase::WriteLine(std::string_view line) {
  if (!hasText_) return;
  text_.Write(line);
  text_.Write("\r", 1);
}

bool MessageBase::EndOfText() const { return !hasText_ || text_.AtEnd(); }

void MessageBase::SeekText(std::int32_t position) {
  if (hasText_) text_.Seek(position);
}

std::int32_t MessageBase::GetTextPos() const { return hasText_ ? text_.Position() : 0; }

std::int32_t MessageBase::GetTextSize() const { return hasText_ ? text_.Size() : 0; }

std::size_t MessageBase::ReadText(std::size_t count, void* buffer) {
  return hasText_ ? text_.Read(buffer, count) : 0;
}

void MessageBase::WriteText(std::string_view bytes) {
  if (hasText_) text_.Write(bytes);
}

bool MessageBase::FindKludgeBuf(std::size_t maxBytes, std::string& line, std::string_view name) {
  if (!hasText_ || maxBytes == 0) return false;
  text_.Seek(0);
  while (!text_.AtEnd()) {
    std::int32_t start = text_.Position();
    std::string_view candidate = text_.ReadLine(maxBytes - 1);
    if (candidate.substr(0, name.size()) == name) {
      kludgeStart_ = start;
      kludgeEnd_ = text_.Position();
      line.assign(candidate);
      return true;
    }
  }
  return false;
}

bool MessageBase::GetKludge(std::string_view name, std::string& line) {
  return FindKludgeBuf(kReadLineBuffer, line, name);
}

void MessageBase::SpliceLine(std::size_t start, std::size_t end, std::string_view line,
                             bool withLine) {
  std::string& bytes = text_.Buffer();
  if (withLine) {
    scratch_.assign(line);
    scratch_ += '\r';
  } else {
    scratch_.clear();
  }
  bytes.replace(start, end - start, scratch_);
  text_.Seek(text_.Size());
}

void MessageBase::ReplaceKludge(std::string_view line, std::string_view name) {
  if (!hasText_) return;
  if (FindKludgeBuf(kKludgeSearchBuffer, scratch_, name)) {
    SpliceLine(static_cast<std::size_t>(kludgeStart_), static_cast<std::size_t>(kludgeEnd_), line,
               true);
  } else {
    InsertKludge(line);
  }
}

void MessageBase::DeleteKludge(std::string_view name) {
  if (!hasText_) return;
  if (FindKludgeBuf(kKludgeSearchBuffer, scratch_, name)) {
    SpliceLine(static_cast<std::size_t>(kludgeStart_), static_cast<std::size_t>(kludgeEnd_), {},
               false);
  }
}

void MessageBase::InsertKludge(std::string_view line) {
  if (!hasText_) return;
  std::size_t at = static_cast<std::size_t>(KludgeEnd());
  SpliceLine(at, at, line, true);
}

std::int32_t MessageBase::KludgeEnd() {
  if (!hasText_) return 0;
  text_.Seek(0);
  bool seenKludge = false;
  while (!text_.AtEnd()) {
    std::int32_t start = text_.Position();
    std::string_view line = text_.ReadLine(kKludgeSearchBuffer - 1);
    bool kludge = !line.empty() && line[0] == 1;
    if (kludge) {
      seenKludge = true;
    } else if (seenKludge) {
      return start;
    }
  }
  return text_.Size();
}

void MessageBase::SetTypeFlag(bool on, std::uint32_t flag) {
  if (on) {
    typeFlags_ |= flag;
  } else {
    typeFlags_ &= ~flag;
  }
}

void MessageBase::SetMsgType(std::uint8_t kind) {
  static constexpr std::uint32_t kAll = kTypeNetmail | kTypeEchomail | kTypeLocal;
  std::uint32_t flag = kind == 0   ? kTypeNetmail
                       : kind == 1 ? kTypeEchomail
                       : kind == 2 ? kTypeLocal
                                   : 0;
  if (flag == 0) return;
  typeFlags_ = (typeFlags_ & ~kAll) | flag;
}

void MessageBase::WriteOrigin(std::string_view text, const FtnAddress& address) {
  WriteLine(OriginLine(text, address));
}

MessageText& MessageBase::NewText() {
  text_.Clear();
  hasText_ = true;
  return text_;
}

std::unique_ptr<MessageBase> CreateMessageBase(std::string_view spec, std::int32_t* lastError,
                                               const Clock& clock, const FileOpener& files) {
  if (lastError != nullptr) *lastError = kErrorUnknownBaseKind;
  if (spec.empty()) return nullptr;
  switch (spec[0]) {
    case 'S':
    case 's':
      return std::make_unique<SquishBase>(clock, files);
    case 'J':
    case 'j':
      return std::make_unique<JamBase>(clock, files);
    case 'F':
    case 'f':
    case 'M':
    case 'm':
    case '*':
      return std::make_unique<MsgDirBase>(clock, files);
    default:
      return nullptr;
  }
}

bool OpenMessageBase(std::string_view spec, std::unique_ptr<MessageBase>& base,
                     std::int32_t* lastError, const Clock& clock, const FileOpener& files) {
  base = CreateMessageBase(spec, lastError, clock, files);
  if (!base) return false;
  if (!base->Open(CutShort(spec.substr(1)))) {
    if (lastError != nullptr) *lastError = base->GetStatus();
    base.reset();
    return false;
  }
  return true;
}

void CloseMessageBase(std::unique_ptr<MessageBase>& base) {
  if (!base) return;
  base->Close();
  base.reset();
}

bool DisposeMessageBase(std::unique_ptr<MessageBase>& base) {
  if (!base) return false;
  base.reset();
  return true;
}

}  // namespace tarnik
