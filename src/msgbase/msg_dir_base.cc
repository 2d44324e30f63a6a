#include "msgbase/msg_dir_base.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "common/cp866.h"
#include "common/file.h"
#include "common/file_system.h"
#include "common/text.h"
#include "core/calendar.h"

namespace tarnik {

namespace {

constexpr std::string_view kLastReadName = "lastread";
constexpr std::uint16_t kDefaultZone = 2;

std::string NumberedName(std::int32_t n) { return Decimal(n) + ".MSG"; }

}  // namespace

MsgDirBase::MsgDirBase(const Clock& clock)
    : MessageBase(clock), presence_(kMsgNumberLimit / 8, 0) {}

MsgDirBase::~MsgDirBase() {
  if (messageOpen_) CloseMessage();
  Close();
}

bool MsgDirBase::Open(const std::string& path) {
  SetOpen(false);
  const std::string directory = WithSeparator(path);
  SetPath(directory);
  // An existing but empty directory is an empty base, not a missing one.
  if (!DirectoryExists(directory)) {
    SetStatus(kMsgErrorNoDirectory);
    return false;
  }
  ListDirectory();
  SetOpen(true);
  return true;
}

bool MsgDirBase::Create(const std::string& path) {
  const std::string directory = WithSeparator(path);
  SetPath(directory);
  CreateDirectories(directory);
  ListDirectory();
  SetOpen(true);
  return true;
}

bool MsgDirBase::Exists(const std::string& path) { return DirectoryExists(WithSeparator(path)); }

void MsgDirBase::Close() {
  SetPath("");
  SetOpen(false);
}

void MsgDirBase::ListDirectory() {
  std::fill(presence_.begin(), presence_.end(), 0);
  count_ = 0;
  highest_ = 0;
  names_.clear();
  for (std::string& name : ListFiles(Path(), "*.MSG")) {
    const std::optional<std::int32_t> number = MsgFileNumber(name);
    if (!number) continue;
    const std::int32_t n = *number;
    if (n < kMsgNumberLimit) {
      // Two names for one number ("5.msg" and "5.MSG") are still one message.
      MarkPresent(n);
      if (EqualLatinFolded(name, NumberedName(n))) names_.emplace_back(n, std::move(name));
    }
    highest_ = std::max(highest_, n);
  }
  // Keep one name per number, and none where the exact "<n>.MSG" exists: the lookup by name
  // finds that one first anyway.
  std::sort(names_.begin(), names_.end());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < names_.size();) {
    std::size_t end = i;
    bool exact = false;
    while (end < names_.size() && names_[end].first == names_[i].first) {
      exact = exact || names_[end].second == NumberedName(names_[i].first);
      ++end;
    }
    if (!exact) {
      if (kept != i) names_[kept] = std::move(names_[i]);
      ++kept;
    }
    i = end;
  }
  names_.resize(kept);
}

std::string MsgDirBase::MessageFileName(std::int32_t n) const {
  auto it =
      std::lower_bound(names_.begin(), names_.end(), n,
                       [](const auto& entry, std::int32_t value) { return entry.first < value; });
  if (it != names_.end() && it->first == n) {
    return Path() + it->second;
  }
  return Path() + NumberedName(n);
}

void MsgDirBase::MarkPresent(std::int32_t n) {
  std::uint8_t& byte = presence_[static_cast<std::size_t>(n / 8)];
  const std::uint8_t bit = static_cast<std::uint8_t>(1u << (n % 8));
  if ((byte & bit) == 0) ++count_;
  byte |= bit;
}

bool MsgDirBase::MessageExists(std::int32_t n) {
  return n >= 0 && n < kMsgNumberLimit &&
         (presence_[static_cast<std::size_t>(n / 8)] & (1u << (n % 8))) != 0;
}

bool MsgDirBase::OpenMessage() { return LoadMessage(true); }

bool MsgDirBase::OpenHeader() { return LoadMessage(false); }

bool MsgDirBase::LoadMessage(bool withBody) {
  if (!MessageExists(GetCurrent())) {
    SetStatus(kMsgErrorNotPresent);
    return false;
  }
  if (messageOpen_) CloseMessage();
  File file;
  if (!file.Open(MessageFileName(GetCurrent()), FileMode::kReadOnly)) {
    SetStatus(kMsgErrorOpenFile);
    return false;
  }
  const std::int64_t size = file.Size();
  fileBytes_.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
  fileBytes_.resize(file.ReadAt(0, fileBytes_.data(), fileBytes_.size()));
  file.Close();
  // A file too short for its header is a damaged message, not an empty one.
  if (fileBytes_.size() < kMsgHeaderSize) {
    SetStatus(kMsgErrorOpenFile);
    return false;
  }
  std::memcpy(header_.data(), fileBytes_.data(), kMsgHeaderSize);
  std::string_view text(fileBytes_);
  text.remove_prefix(kMsgHeaderSize);
  // Some writers end the text without a 0 byte: drop the last byte only when it is that 0.
  if (!text.empty() && text.back() == '\0') text.remove_suffix(1);

  MessageText& out = NewText();
  if (withBody) {
    out.Buffer().assign(text);
  } else {
    // The leading kludge lines; a first line that is no kludge is passed over.
    MessageText source;
    source.Buffer().assign(text);
    bool first = true;
    while (!source.AtEnd()) {
      const std::string_view line = source.ReadLine(text.size());
      const bool kludge = !line.empty() && line[0] == 1;
      if (!kludge && !first) break;
      if (kludge) {
        out.Buffer().append(line);
        out.Buffer().push_back('\r');
      }
      first = false;
    }
  }
  out.Seek(0);
  messageOpen_ = true;
  return true;
}

bool MsgDirBase::CloseMessage() {
  if (!messageOpen_) {
    SetStatus(kMsgErrorNoMessage);
    return false;
  }
  messageOpen_ = false;
  DropText();
  return true;
}

std::uint16_t MsgDirBase::Word(std::size_t offset) const {
  return LoadU16(header_.data() + offset);
}

void MsgDirBase::SetWord(std::size_t offset, std::uint16_t value) {
  StoreU16(header_.data() + offset, value);
}

void MsgDirBase::SetField(std::size_t offset, std::size_t width, std::string_view text) {
  std::memset(header_.data() + offset, 0, width);
  text = text.substr(0, width - 1);
  std::memcpy(header_.data() + offset, text.data(), text.size());
}

std::string_view MsgDirBase::Field(std::size_t offset, std::size_t width) const {
  return ZeroTerminated(std::string_view(header_.data() + offset, width));
}

void MsgDirBase::GetFrom(std::string& from) { from.assign(Field(kMsgFromUserName, kMsgNameSize)); }

void MsgDirBase::GetTo(std::string& to) { to.assign(Field(kMsgToUserName, kMsgNameSize)); }

void MsgDirBase::GetSubject(std::string& subject) {
  subject.assign(Field(kMsgSubject, kMsgSubjectSize));
}

void MsgDirBase::SetFrom(std::string_view from) { SetField(kMsgFromUserName, kMsgNameSize, from); }

void MsgDirBase::SetTo(std::string_view to) { SetField(kMsgToUserName, kMsgNameSize, to); }

void MsgDirBase::SetSubject(std::string_view subject) {
  SetField(kMsgSubject, kMsgSubjectSize, subject);
}

void MsgDirBase::PresetAddress(FtnAddress& address, std::size_t netOffset,
                               std::size_t nodeOffset) const {
  ClearAddress(address);
  address.net = static_cast<std::int16_t>(Word(netOffset));
  address.node = static_cast<std::int16_t>(Word(nodeOffset));
}

void MsgDirBase::GetOrigAddr(FtnAddress& address) {
  PresetAddress(address, kMsgOrigNet, kMsgOrigNode);
  AddrsFromKludges(nullptr, &address);
  if (address.zone == 0) address.zone = kDefaultZone;
}

void MsgDirBase::GetDestAddr(FtnAddress& address) {
  PresetAddress(address, kMsgDestNet, kMsgDestNode);
  AddrsFromKludges(&address, nullptr);
  if (address.zone == 0) address.zone = kDefaultZone;
}

void MsgDirBase::GetAddrs(FtnAddress& dest, FtnAddress& orig) {
  PresetAddress(dest, kMsgDestNet, kMsgDestNode);
  PresetAddress(orig, kMsgOrigNet, kMsgOrigNode);
  AddrsFromKludges(&dest, &orig);
  if (dest.zone == 0) dest.zone = kDefaultZone;
  if (orig.zone == 0) orig.zone = kDefaultZone;
}

void MsgDirBase::SetOrigAddr(bool renew, const FtnAddress& address) {
  MessageBase::SetOrigAddr(renew, address);
  SetWord(kMsgOrigNet, static_cast<std::uint16_t>(address.net));
  SetWord(kMsgOrigNode, static_cast<std::uint16_t>(address.node));
}

void MsgDirBase::SetDestAddr(const FtnAddress& address) {
  MessageBase::SetDestAddr(address);
  SetWord(kMsgDestNet, static_cast<std::uint16_t>(address.net));
  SetWord(kMsgDestNode, static_cast<std::uint16_t>(address.node));
}

bool MsgDirBase::GetAttr(std::uint32_t code) {
  const std::uint16_t bits = MsgAttributeBits(code);
  return bits != 0 && (Word(kMsgAttribute) & bits) == bits;
}

void MsgDirBase::SetAttr(bool on, std::uint32_t code) {
  const std::uint16_t bits = MsgAttributeBits(code);
  const std::uint16_t attribute = Word(kMsgAttribute);
  SetWord(kMsgAttribute, static_cast<std::uint16_t>(on ? attribute | bits : attribute & ~bits));
}

void MsgDirBase::GetDateWritten(MsgDateTime& date) {
  ParseMsgDateTime(Field(kMsgDateTime, kMsgDateTimeSize), date);
}

void MsgDirBase::GetDateArrived(MsgDateTime& date) {
  date = MsgDateTime{};
  DecodeDosDateTime(Word(kMsgDateArrivedDos), Word(kMsgDateArrivedDos + 2), date);
}

void MsgDirBase::SetDateWritten(const MsgDateTime& date) {
  SetField(kMsgDateTime, kMsgDateTimeSize, FormatMsgDateTime(date));
  std::uint16_t dosDate = 0, dosTime = 0;
  EncodeDosDateTime(date, dosDate, dosTime);
  SetWord(kMsgDateWrittenDos, dosDate);
  SetWord(kMsgDateWrittenDos + 2, dosTime);
}

void MsgDirBase::SetDateArrived(const MsgDateTime& date) {
  std::uint16_t dosDate = 0, dosTime = 0;
  EncodeDosDateTime(date, dosDate, dosTime);
  SetWord(kMsgDateArrivedDos, dosDate);
  SetWord(kMsgDateArrivedDos + 2, dosTime);
}

bool MsgDirBase::IsRead() { return Word(kMsgTimesRead) != 0; }

void MsgDirBase::SetRead(bool read) {
  SetWord(kMsgTimesRead, read ? static_cast<std::uint16_t>(Word(kMsgTimesRead) + 1) : 0);
}

bool MsgDirBase::NewMessage() {
  const std::int32_t n = highest_ + 1;
  SetCurrent(n);
  highest_ = n;
  if (n > 0 && n < kMsgNumberLimit) MarkPresent(n);
  if (messageOpen_) CloseMessage();
  File file;
  // n is above every number the listing found, so no other spelling of its name exists;
  // looking for one would list the whole directory for every new message.
  if (!file.Open(Path() + NumberedName(n), FileMode::kCreateExact)) return false;
  NewText();
  messageOpen_ = true;
  header_.fill(0);
  const MsgDateTime now = MsgDateTimeNow(clock());
  SetDateWritten(now);
  SetDateArrived(now);
  return true;
}

bool MsgDirBase::WriteMessage() {
  if (!messageOpen_ || !HasText()) return false;
  File file;
  if (!file.Open(MessageFileName(GetCurrent()), FileMode::kReadWrite)) return false;
  const std::string_view text = GetText()->Bytes();
  const char end = 0;
  const bool written = file.Write(header_.data(), header_.size()) &&
                       file.Write(text.data(), text.size()) && file.Write(&end, 1) &&
                       file.Truncate();
  file.Flush();
  return written;
}

bool MsgDirBase::RewriteHeader() {
  if (!messageOpen_) return false;
  File file;
  if (!file.Open(MessageFileName(GetCurrent()), FileMode::kReadWrite)) return false;
  return file.Write(header_.data(), header_.size());
}

bool MsgDirBase::DeleteMessage() {
  const std::int32_t n = GetCurrent();
  if (!MessageExists(n)) return false;
  std::string name = ResolveExisting(MessageFileName(n));
  if (name.empty() || !DeleteFile(name)) return false;
  presence_[static_cast<std::size_t>(n / 8)] &= static_cast<std::uint8_t>(~(1u << (n % 8)));
  --count_;
  return true;
}

std::int32_t MsgDirBase::GetLastRead(std::int32_t user) {
  if (user < 0) return 0;
  File file;
  if (!file.Open(Path() + std::string(kLastReadName), FileMode::kReadOnly)) return 0;
  char word[2];
  if (file.ReadAt(static_cast<std::int64_t>(user) * 2, word, 2) != 2) return 0;
  return LoadU16(word);
}

void MsgDirBase::SetLastRead(std::int32_t value, std::int32_t user) {
  if (user < 0) return;
  File file;
  const std::string name = Path() + std::string(kLastReadName);
  if (!file.Open(name, FileMode::kWriteOnly) && !file.Open(name, FileMode::kCreate)) return;
  char word[2];
  StoreU16(word, static_cast<std::uint16_t>(value));
  if (file.Seek(static_cast<std::int64_t>(user) * 2)) file.Write(word, 2);
}

}  // namespace tarnik
