#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/file.h"
#include "core/ftn_address.h"
#include "msgbase/jam_format.h"
#include "msgbase/message_base.h"

namespace tarnik {

// A JAM base: name.JHR, name.JDX, name.JDT and (optional for reading) name.JLR. Messages are
// numbered from BaseMsgNum over the index records; GetHigh is one past the last number.
// Opening a message turns its subfields into kludge lines around the body. A scan opens the
// files read-only and writes nothing; the writing side reopens them for writing on first use.
class JamBase final : public MessageBase {
 public:
  explicit JamBase(const Clock& clock = DefaultServices().clock);
  ~JamBase() override;

  // path is the base name without extension; a "." is appended. False with 0x2000..0x2006.
  bool Open(const std::string& path) override;
  // Makes the directory and four empty files with a fresh base header, open for writing.
  bool Create(const std::string& path) override;
  // name.JHR, name.JDX and name.JDT exist (name.JLR is optional, as for Open).
  bool Exists(const std::string& path) override;
  // Writes the base header back only when the writing side changed it.
  void Close() override;
  bool MessageExists(std::int32_t n) override;
  // Walk only the numbers the index holds (BaseMsgNum up), however large BaseMsgNum is.
  void SeekNext() override;
  void SeekPrev() override;
  std::int32_t GetPosition() override { return GetCurrent(); }
  void SetPosition(std::int32_t position) override { SetCurrent(position); }
  bool OpenMessage() override;
  bool OpenHeader() override;
  bool CloseMessage() override;
  std::int32_t GetHigh() override;
  // ActiveMsgs as stored (some tossers garble it; numbering never depends on it).
  std::int32_t GetCount() override;
  void GetFrom(std::string& from) override { from = from_; }
  void GetTo(std::string& to) override { to = to_; }
  void GetSubject(std::string& subject) override { subject = subject_; }
  void SetFrom(std::string_view from) override;
  void SetTo(std::string_view to) override;
  void SetSubject(std::string_view subject) override;
  bool GetAttr(std::uint32_t code) override;
  void SetAttr(bool on, std::uint32_t code) override;
  void GetDateWritten(MsgDateTime& date) override;
  void GetDateArrived(MsgDateTime& date) override;
  void SetDateWritten(const MsgDateTime& date) override;
  void SetDateArrived(const MsgDateTime& date) override;
  bool WriteMessage() override;
  bool RewriteHeader() override;
  bool NewMessage() override;
  bool DeleteMessage() override;
  // HighReadMsg of the first lastread record of the user; 0 when none or no name.JLR.
  std::int32_t GetLastRead(std::int32_t user) override;
  // Updates or appends the user's record, creating name.JLR when needed.
  void SetLastRead(std::int32_t value, std::int32_t user) override;
  bool IsRead() override;
  void SetRead(bool read) override;

 private:
  bool LoadMessage(bool withBody);
  bool EnsureWritable();
  // Closes whatever Open or Create had opened, clears the path and sets the status; false.
  bool FailOpen(std::int32_t status);
  // View of count bytes of name.JHR at offset (count at most kJamHeaderBufferSize); fewer
  // when the read fails. Valid until the next call or write.
  std::string_view HeaderBytes(std::int64_t offset, std::size_t count);
  // Copies count bytes of name.JDT at offset to out; false when they cannot all be read.
  bool ReadJdt(std::int64_t offset, std::size_t count, char* out);
  void DropCaches();
  bool ReadIndexRecord(std::int64_t index, std::uint32_t& userCrc, std::uint32_t& hdrOffset);
  bool WriteIndexRecord(std::int64_t index, std::uint32_t userCrc, std::uint32_t hdrOffset);
  // BaseMsgNum as the signed number the format treats it as: the number of index record 0.
  std::int64_t FirstNumber() const;
  // The index record of message number n; outside 0 .. indexCount_ - 1 when there is none.
  std::int64_t IndexOf(std::int32_t n) const;
  std::uint32_t BaseField(std::size_t offset) const;
  void SetBaseField(std::size_t offset, std::uint32_t value);
  std::uint32_t HeaderField(std::size_t offset) const;
  void SetHeaderField(std::size_t offset, std::uint32_t value);
  std::string FileName(std::string_view extension) const;

  std::array<char, kJamBaseHeaderSize> baseHeader_{};
  bool baseHeaderChanged_ = false;
  std::int64_t hdrOffset_ = -1;
  std::uint32_t indexUserCrc_ = kJamNone;
  std::int64_t indexPosition_ = -1;
  FtnAddress origAddress_;
  FtnAddress destAddress_;
  std::string from_;
  std::string to_;
  std::string subject_;
  std::array<char, kJamMsgHeaderSize> header_{};  // the current message's fixed header
  std::vector<JamSubfield> subfields_;            // views into jhrWindow_ while loading
  File jhr_;
  File jdx_;
  File jdt_;
  bool writable_ = false;
  std::int64_t jhrSize_ = 0;
  std::int64_t jdtSize_ = 0;
  std::int64_t indexCount_ = 0;
  // Headers are read through a window of name.JHR, so a scan reads the file in large blocks.
  std::vector<char> jhrWindow_;
  std::int64_t jhrWindowStart_ = 0;
  std::size_t jhrWindowLength_ = 0;
  // Texts likewise, through a window of name.JDT.
  std::vector<char> jdtWindow_;
  std::int64_t jdtWindowStart_ = 0;
  std::size_t jdtWindowLength_ = 0;
  // A block of index records read in one go; scans walk the index in order.
  std::vector<char> indexBlock_;
  std::int64_t indexBlockFirst_ = 0;
  std::int64_t indexBlockCount_ = 0;
};

}  // namespace tarnik
