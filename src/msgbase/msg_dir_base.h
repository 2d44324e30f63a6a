#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/read_window.h"
#include "core/ftn_address.h"
#include "msgbase/message_base.h"
#include "msgbase/msg_format.h"

namespace tarnik {

// A directory of n.MSG files, one message each (190-byte header, then the text). The
// directory is listed once per Open; numbers 1 to 61439 can be present, higher ones only
// raise GetHigh. A scan reads each message file whole through the file opener and never
// writes; the writing side (msg_dir_base_write.cc) adds files to a directory Create opened.
class MsgDirBase final : public MessageBase {
 public:
  explicit MsgDirBase(const Clock& clock = DefaultServices().clock,
                      const FileOpener& files = DiskFiles());
  ~MsgDirBase() override;

  // path is the directory; a "/" is appended unless it ends with a separator. False with
  // 0x1000 when the directory does not exist.
  bool Open(const std::string& path) override;
  bool Exists(const std::string& path) override;
  // Clears the path and the open flag.
  void Close() override;
  bool MessageExists(std::int32_t n) override;
  std::int32_t GetPosition() override { return GetCurrent(); }
  void SetPosition(std::int32_t position) override { SetCurrent(position); }
  // False with 0x1001 (number not present) or 0x1002 (file unreadable or shorter than its
  // header). The text is the file after the header, without a terminating 0 byte.
  bool OpenMessage() override;
  // As OpenMessage, but the text holds only the leading kludge lines.
  bool OpenHeader() override;
  // False with 0x1003 when no message is open.
  bool CloseMessage() override;
  std::int32_t GetHigh() override { return highest_; }
  std::int32_t GetCount() override { return count_; }
  void GetFrom(std::string& from) override;
  void GetTo(std::string& to) override;
  void GetSubject(std::string& subject) override;
  // net and node from the header, then the kludge lines; zone 2 when none gave a zone.
  void GetOrigAddr(FtnAddress& address) override;
  void GetDestAddr(FtnAddress& address) override;
  bool AddressesOnlyInKludges() const override { return false; }
  void GetAddrs(FtnAddress& dest, FtnAddress& orig) override;
  bool GetAttr(std::uint32_t code) override;
  // Parsed from the DateTime text.
  void GetDateWritten(MsgDateTime& date) override;
  // From the DOS date and time of the date-arrived field.
  void GetDateArrived(MsgDateTime& date) override;
  // timesRead is not 0.
  bool IsRead() override;

  // Writing side, in msg_dir_base_write.cc.
  // Makes the directory (every missing level), lists it and opens it for writing.
  bool Create(const std::string& path) override;
  // At most 35 (from, to) and 71 (subject) bytes are stored.
  void SetFrom(std::string_view from) override;
  void SetTo(std::string_view to) override;
  void SetSubject(std::string_view subject) override;
  // The kludge lines, then the header's net and node.
  void SetOrigAddr(bool renew, const FtnAddress& address) override;
  void SetDestAddr(const FtnAddress& address) override;
  void SetAttr(bool on, std::uint32_t code) override;
  void SetDateWritten(const MsgDateTime& date) override;
  void SetDateArrived(const MsgDateTime& date) override;
  // Number highest + 1; its file is created (false, no status, when that fails).
  bool NewMessage() override;
  // Header, text and one 0 byte; the file is cut after it.
  bool WriteMessage() override;

 private:
  void ListDirectory();
  bool LoadMessage(bool withBody);
  // The whole file of the current message; false with the status when it cannot be read or
  // is shorter than its header.
  bool ReadMessageFile(std::string_view& bytes);
  std::string MessageFileName(std::int32_t n) const;
  // Sets n's presence bit (n from 1 to below kNumberLimit), counting it once.
  void MarkPresent(std::int32_t n);
  std::uint16_t Word(std::size_t offset) const;
  // A zero-terminated header field.
  std::string_view Field(std::size_t offset, std::size_t width) const;
  void PresetAddress(FtnAddress& address, std::size_t netOffset, std::size_t nodeOffset) const;

  // Writing side.
  void SetWord(std::size_t offset, std::uint16_t value);
  // Stores a header field, cut to width - 1 bytes and 0-filled.
  void SetField(std::size_t offset, std::size_t width, std::string_view text);

  std::vector<std::uint8_t> presence_;
  std::int32_t count_ = 0;
  std::int32_t highest_ = 0;
  bool messageOpen_ = false;
  std::array<char, msg::kHeaderSize> header_{};
  // Listed names that differ from "<n>.MSG" only in case, by number, so opening a message
  // needs no second directory search.
  std::vector<std::pair<std::int32_t, std::string>> names_;
  // The current message file, read whole; its buffer is kept from message to message.
  ReadWindow file_;

  // Writing side: whether Create opened the directory, and whether NewMessage began a
  // message not yet written.
  bool created_ = false;
  bool newMessage_ = false;
};

}  // namespace tarnik
