#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/file.h"
#include "common/read_window.h"
#include "core/ftn_address.h"
#include "msgbase/jam_format.h"
#include "msgbase/message_base.h"

namespace tarnik {

// A JAM base: name.JHR, name.JDX and name.JDT (name.JLR is not needed for reading). Messages
// are numbered from BaseMsgNum over the index records; GetHigh is one past the last number.
// Opening a message turns its subfields into kludge lines around the body. Open reads the
// files through the file opener and never writes them; the writing side (jam_base_write.cc)
// appends messages to a base that Create made.
class JamBase final : public MessageBase {
 public:
  explicit JamBase(const Clock& clock = DefaultServices().clock,
                   const FileOpener& files = DiskFiles());
  ~JamBase() override;

  // path is the base name without extension; a "." is appended. False with 0x2000..0x2006.
  bool Open(const std::string& path) override;
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
  bool GetAttr(std::uint32_t code) override;
  void GetDateWritten(MsgDateTime& date) override;
  // DateProcessed: when the tosser stored the message here.
  void GetDateArrived(MsgDateTime& date) override;
  // TimesRead is not 0.
  bool IsRead() override;
  // A BaseMsgNum of 0 or past the largest signed 32-bit number (then read as 1), or one
  // that puts the last index records past it (those are not read).
  std::string DescribeDamage() override;

  // Writing side, in jam_base_write.cc.
  // Makes the directory and four empty files with a fresh base header, open for writing.
  bool Create(const std::string& path) override;
  void SetFrom(std::string_view from) override;
  void SetTo(std::string_view to) override;
  void SetSubject(std::string_view subject) override;
  void SetAttr(bool on, std::uint32_t code) override;
  void SetDateWritten(const MsgDateTime& date) override;
  void SetDateArrived(const MsgDateTime& date) override;
  bool NewMessage() override;
  bool WriteMessage() override;

 private:
  std::string FileName(std::string_view extension) const;
  // Opens the three files for reading and takes the base header; false with the status.
  bool OpenSources();
  // Closes whatever Open or Create had opened, clears the path and sets the status; false.
  // Closes the member files, written or read.
  void CloseFiles();
  bool FailOpen(std::int32_t status);
  bool LoadMessage(bool withBody);
  // Ends a failed load: no header, no text, the status set; false.
  bool FailLoad(std::int32_t status);
  // The fixed header and the subfield bytes of the current message (at most
  // kHeaderBufferSize); empty with the status set when the index or the header is damaged.
  std::string_view ReadHeader();
  // Takes names, subject and addresses from the subfields.
  void TakeHeaderSubfields();
  // The kludge lines the subfields make: those that lead the text, and the trace, SEEN-BY
  // and PATH lines that follow the body.
  void AppendLeadingLines(std::string& out) const;
  void AppendTrailingLines(std::string& out) const;
  bool ReadIndexRecord(std::int64_t index, std::uint32_t& userCrc, std::uint32_t& hdrOffset);
  // The number of index record 0: BaseMsgNum, or 1 where BaseMsgNum cannot be a number.
  std::int64_t FirstNumber() const;
  // The index record of message number n; outside 0 .. indexCount_ - 1 when there is none.
  std::int64_t IndexOf(std::int32_t n) const;
  std::uint32_t BaseField(std::size_t offset) const;
  std::uint32_t HeaderField(std::size_t offset) const;

  // Writing side.
  bool CreateFiles();
  void SetBaseField(std::size_t offset, std::uint32_t value);
  void SetHeaderField(std::size_t offset, std::uint32_t value);
  // Splits the text into subfields (appended to area) and the stored body; sets the MSGID
  // and REPLY CRCs of the header.
  void SplitText(std::string& area, std::string& body);
  bool WriteIndexRecord(std::int64_t index, std::uint32_t userCrc, std::uint32_t hdrOffset);
  bool WriteBaseHeader();

  std::array<char, jam::kBaseHeaderSize> baseHeader_{};
  FtnAddress origAddress_;
  FtnAddress destAddress_;
  std::string from_;
  std::string to_;
  std::string subject_;
  std::array<char, jam::kMsgHeaderSize> header_{};  // the current message's fixed header
  std::vector<jam::Subfield> subfields_;            // views into the header window while loading
  std::int64_t jhrSize_ = 0;
  std::int64_t jdtSize_ = 0;
  std::int64_t indexCount_ = 0;
  // Each file is read in large blocks, so a scan reads headers, texts and index records in
  // few reads; scans walk all three in file order.
  ReadWindow jhr_;
  ReadWindow jdx_;
  ReadWindow jdt_;

  // Writing side: the files Create made; whether NewMessage began a message not yet written;
  // whether the base header in memory differs from the stored one.
  File jhrOut_;
  File jdxOut_;
  File jdtOut_;
  bool newMessage_ = false;
  std::int64_t newIndex_ = 0;  // the index record NewMessage's message will have
  bool baseHeaderChanged_ = false;
};

}  // namespace tarnik
