#include "msgbase/msg_dir_base.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "common/cp866.h"
#include "common/text.h"

namespace tarnik {

using namespace msg;

namespace {

// The header holds net and node only: where no kludge names a zone, zone 2 is taken.
constexpr std::uint16_t kDefaultZone = 2;

}  // namespace

// A window without a block: every message file is read whole in one request, into a buffer
// kept from message to message.
MsgDirBase::MsgDirBase(const Clock& clock, const FileOpener& files)
    : MessageBase(clock, files), presence_(kNumberLimit / 8, 0), file_(0) {}

MsgDirBase::~MsgDirBase() {
  if (messageOpen_) CloseMessage();
  Close();
}

bool MsgDirBase::Open(const std::string& path) {
  SetOpen(false);
  created_ = false;
  newMessage_ = false;
  const std::string directory = WithSeparator(path);
  SetPath(directory);
  // An existing but empty directory is an empty base, not a missing one.
  if (!files().DirectoryExists(directory)) {
    SetStatus(kErrorNoDirectory);
    return false;
  }
  ListDirectory();
  SetOpen(true);
  return true;
}

bool MsgDirBase::Exists(const std::string& path) {
  return files().DirectoryExists(WithSeparator(path));
}

void MsgDirBase::Close() {
  SetPath("");
  SetOpen(false);
  created_ = false;
  newMessage_ = false;
}

void MsgDirBase::ListDirectory() {
  std::fill(presence_.begin(), presence_.end(), 0);
  count_ = 0;
  highest_ = 0;
  names_.clear();
  for (std::string& name : files().ListFiles(Path(), "*.MSG")) {
    const std::optional<std::int32_t> number = MsgFileNumber(name);
    if (!number) continue;
    const std::int32_t n = *number;
    if (n < kNumberLimit) {
      // Two names for one number ("5.msg" and "5.MSG") are still one message.
      MarkPresent(n);
      if (EqualLatinFolded(name, MsgFileName(n))) names_.emplace_back(n, std::move(name));
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
      exact = exact || names_[end].second == MsgFileName(names_[i].first);
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
  return Path() + MsgFileName(n);
}

void MsgDirBase::MarkPresent(std::int32_t n) {
  std::uint8_t& byte = presence_[static_cast<std::size_t>(n / 8)];
  const std::uint8_t bit = static_cast<std::uint8_t>(1u << (n % 8));
  if ((byte & bit) == 0) ++count_;
  byte |= bit;
}

bool MsgDirBase::MessageExists(std::int32_t n) {
  return n >= 0 && n < kNumberLimit &&
         (presence_[static_cast<std::size_t>(n / 8)] & (1u << (n % 8))) != 0;
}

bool MsgDirBase::OpenMessage() { return LoadMessage(true); }

bool MsgDirBase::OpenHeader() { return LoadMessage(false); }

bool MsgDirBase::LoadMessage(bool withBody) {
  if (!MessageExists(GetCurrent())) {
    SetStatus(kErrorNotPresent);
    return false;
  }
  if (messageOpen_) CloseMessage();
  std::string_view bytes;
  const bool read = ReadMessageFile(bytes);
  if (read) {
    std::memcpy(header_.data(), bytes.data(), kHeaderSize);
    std::string_view text = bytes.substr(kHeaderSize);
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
    // A stored message now fills the header, which WriteMessage must not store as new.
    newMessage_ = false;
    messageOpen_ = true;
  }
  file_.Reset(nullptr);
  return read;
}

bool MsgDirBase::ReadMessageFile(std::string_view& bytes) {
  file_.Reset(files().OpenRead(MessageFileName(GetCurrent())));
  if (!file_.HasSource()) {
    SetStatus(kErrorOpenFile);
    return false;
  }
  const std::int64_t size = file_.Size();
  bytes = file_.View(0, static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
  // A file too short for its header is a damaged message, not an empty one.
  if (bytes.size() < kHeaderSize) {
    SetStatus(kErrorOpenFile);
    return false;
  }
  return true;
}

bool MsgDirBase::CloseMessage() {
  if (!messageOpen_) {
    SetStatus(kErrorNoMessage);
    return false;
  }
  messageOpen_ = false;
  DropText();
  return true;
}

std::uint16_t MsgDirBase::Word(std::size_t offset) const {
  return LoadU16(header_.data() + offset);
}

std::string_view MsgDirBase::Field(std::size_t offset, std::size_t width) const {
  return ZeroTerminated(std::string_view(header_.data() + offset, width));
}

void MsgDirBase::GetFrom(std::string& from) { from.assign(Field(kFromUserName, kNameSize)); }

void MsgDirBase::GetTo(std::string& to) { to.assign(Field(kToUserName, kNameSize)); }

void MsgDirBase::GetSubject(std::string& subject) { subject.assign(Field(kSubject, kSubjectSize)); }

void MsgDirBase::PresetAddress(FtnAddress& address, std::size_t netOffset,
                               std::size_t nodeOffset) const {
  ClearAddress(address);
  address.net = static_cast<std::int16_t>(Word(netOffset));
  address.node = static_cast<std::int16_t>(Word(nodeOffset));
}

void MsgDirBase::GetOrigAddr(FtnAddress& address) {
  PresetAddress(address, kOrigNet, kOrigNode);
  AddrsFromKludges(nullptr, &address);
  if (address.zone == 0) address.zone = kDefaultZone;
}

void MsgDirBase::GetDestAddr(FtnAddress& address) {
  PresetAddress(address, kDestNet, kDestNode);
  AddrsFromKludges(&address, nullptr);
  if (address.zone == 0) address.zone = kDefaultZone;
}

void MsgDirBase::GetAddrs(FtnAddress& dest, FtnAddress& orig) {
  PresetAddress(dest, kDestNet, kDestNode);
  PresetAddress(orig, kOrigNet, kOrigNode);
  AddrsFromKludges(&dest, &orig);
  if (dest.zone == 0) dest.zone = kDefaultZone;
  if (orig.zone == 0) orig.zone = kDefaultZone;
}

bool MsgDirBase::GetAttr(std::uint32_t code) {
  const std::uint16_t bits = MsgAttributeBits(code);
  return bits != 0 && (Word(kAttribute) & bits) == bits;
}

// The DateTime text is what every writer fills; the DOS date-written word is often left 0.
void MsgDirBase::GetDateWritten(MsgDateTime& date) {
  ParseMsgDateTime(Field(kDateTime, kDateTimeSize), date);
}

void MsgDirBase::GetDateArrived(MsgDateTime& date) {
  date = MsgDateTime{};
  DecodeDosDateTime(Word(kDateArrivedDos), Word(kDateArrivedDos + 2), date);
}

bool MsgDirBase::IsRead() { return Word(kTimesRead) != 0; }

}  // namespace tarnik
