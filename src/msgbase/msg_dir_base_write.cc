// The writing side of MsgDirBase: adds message files to a directory.

#include <cstring>
#include <string>

#include "common/bytes.h"
#include "common/file.h"
#include "common/file_system.h"
#include "common/text.h"
#include "msgbase/msg_dir_base.h"

namespace tarnik {

using namespace msg;

bool MsgDirBase::Create(const std::string& path) {
  const std::string directory = WithSeparator(path);
  SetPath(directory);
  CreateDirectories(directory);
  ListDirectory();
  SetOpen(true);
  created_ = true;
  newMessage_ = false;
  return true;
}

void MsgDirBase::SetWord(std::size_t offset, std::uint16_t value) {
  StoreU16(header_.data() + offset, value);
}

void MsgDirBase::SetField(std::size_t offset, std::size_t width, std::string_view text) {
  std::memset(header_.data() + offset, 0, width);
  text = text.substr(0, width - 1);
  std::memcpy(header_.data() + offset, text.data(), text.size());
}

void MsgDirBase::SetFrom(std::string_view from) { SetField(kFromUserName, kNameSize, from); }

void MsgDirBase::SetTo(std::string_view to) { SetField(kToUserName, kNameSize, to); }

void MsgDirBase::SetSubject(std::string_view subject) { SetField(kSubject, kSubjectSize, subject); }

void MsgDirBase::SetOrigAddr(bool renew, const FtnAddress& address) {
  MessageBase::SetOrigAddr(renew, address);
  SetWord(kOrigNet, static_cast<std::uint16_t>(address.net));
  SetWord(kOrigNode, static_cast<std::uint16_t>(address.node));
}

void MsgDirBase::SetDestAddr(const FtnAddress& address) {
  MessageBase::SetDestAddr(address);
  SetWord(kDestNet, static_cast<std::uint16_t>(address.net));
  SetWord(kDestNode, static_cast<std::uint16_t>(address.node));
}

void MsgDirBase::SetAttr(bool on, std::uint32_t code) {
  const std::uint16_t bits = MsgAttributeBits(code);
  const std::uint16_t attribute = Word(kAttribute);
  SetWord(kAttribute, static_cast<std::uint16_t>(on ? attribute | bits : attribute & ~bits));
}

// Readers that take the DOS words find the same date as those that parse the text.
void MsgDirBase::SetDateWritten(const MsgDateTime& date) {
  SetField(kDateTime, kDateTimeSize, FormatMsgDateTime(date));
  std::uint16_t dosDate = 0, dosTime = 0;
  EncodeDosDateTime(date, dosDate, dosTime);
  SetWord(kDateWrittenDos, dosDate);
  SetWord(kDateWrittenDos + 2, dosTime);
}

void MsgDirBase::SetDateArrived(const MsgDateTime& date) {
  std::uint16_t dosDate = 0, dosTime = 0;
  EncodeDosDateTime(date, dosDate, dosTime);
  SetWord(kDateArrivedDos, dosDate);
  SetWord(kDateArrivedDos + 2, dosTime);
}

bool MsgDirBase::NewMessage() {
  if (!created_) return false;
  const std::int32_t n = highest_ + 1;
  SetCurrent(n);
  highest_ = n;
  if (n > 0 && n < kNumberLimit) MarkPresent(n);
  if (messageOpen_) CloseMessage();
  File file;
  // n is above every number the listing found, so no other spelling of its name exists;
  // looking for one would list the whole directory for every new message.
  if (!file.Open(Path() + MsgFileName(n), FileMode::kCreateExact)) return false;
  NewText();
  messageOpen_ = true;
  header_.fill(0);
  const MsgDateTime now = MsgDateTimeNow(clock());
  SetDateWritten(now);
  SetDateArrived(now);
  newMessage_ = true;
  return true;
}

bool MsgDirBase::WriteMessage() {
  if (!messageOpen_ || !HasText() || !newMessage_) return false;
  // Written once: another WriteMessage needs another NewMessage.
  newMessage_ = false;
  File file;
  if (!file.Open(MessageFileName(GetCurrent()), FileMode::kReadWrite)) return false;
  const std::string_view text = GetText()->Bytes();
  const char end = 0;
  return file.Write(header_.data(), header_.size()) && file.Write(text.data(), text.size()) &&
         file.Write(&end, 1) && file.Truncate();
}

}  // namespace tarnik
