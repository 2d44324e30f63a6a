#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/file.h"
#include "msgbase/message_base.h"
#include "msgbase/squish_format.h"

namespace tarnik {

// Status codes of the Squish base.
inline constexpr std::int32_t kSquishNoSqd = 0x3000;
inline constexpr std::int32_t kSquishNoSqi = 0x3001;
inline constexpr std::int32_t kSquishOpenSqd = 0x3002;
inline constexpr std::int32_t kSquishOpenSqi = 0x3003;
inline constexpr std::int32_t kSquishBadFrame = 0x3007;
inline constexpr std::int32_t kSquishFrameIo = 0x3008;
inline constexpr std::int32_t kSquishCreateSqd = 0x3009;
inline constexpr std::int32_t kSquishCreateSqi = 0x300a;

// The Squish recipient hash stored in index records.
std::uint32_t SquishHash(std::string_view name);

// A Squish message base (name.SQD, name.SQI, name.SQL). The current number is the message's
// unique id; navigation walks the index in file order. Open reads both files read-only and
// holds the index in memory; the first writing operation reopens them for writing, and Close
// writes the base header back only when the writing side changed it.
class SquishBase final : public MessageBase {
 public:
  explicit SquishBase(const Clock& clock = DefaultServices().clock);
  ~SquishBase() override;

  bool Open(const std::string& path) override;
  bool Create(const std::string& path) override;
  bool Exists(const std::string& path) override;
  void Close() override;
  bool MessageExists(std::int32_t n) override;
  // The first index record (in file order) whose unique id is n or greater.
  void SeekFrom(std::int32_t n) override;
  void SeekNext() override;
  void SeekPrev() override;
  // A Squish walk goes through the index records in file order: the place is the record.
  std::int64_t WalkPlace() override;
  std::int64_t WalkEnd() override { return IndexRecords(); }
  void SeekPlace(std::int64_t place) override;
  // The offset of the current record in name.SQI.
  std::int32_t GetPosition() override { return indexPos_; }
  void SetPosition(std::int32_t position) override;
  bool OpenMessage() override;
  bool OpenHeader() override;
  bool CloseMessage() override;
  // The last unique id given out.
  std::int32_t GetHigh() override;
  std::int32_t GetCount() override;
  void GetFrom(std::string& from) override;
  void GetTo(std::string& to) override;
  void GetSubject(std::string& subject) override;
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
  std::int32_t GetLastRead(std::int32_t user) override;
  void SetLastRead(std::int32_t value, std::int32_t user) override;
  bool IsRead() override;
  void SetRead(bool read) override;

 private:
  struct Frame {
    std::uint32_t id = 0;
    std::uint32_t next = 0;
    std::uint32_t prev = 0;
    std::uint32_t length = 0;
    std::uint32_t msgLength = 0;
    std::uint32_t clen = 0;
    std::uint16_t type = 0;
  };
  struct IndexRecord {
    std::uint32_t ofs = 0;
    std::uint32_t umsgid = 0;
    std::uint32_t hash = 0;
  };

  std::string FileName(std::string_view extension) const;
  std::int32_t IndexRecords() const;
  // The index record at a byte position of name.SQI (read through the index window); false
  // when it cannot be read.
  bool RecordAt(std::int64_t position, IndexRecord& record);
  // Forgets the index window after a write to name.SQI.
  void DropIndexWindow();
  // The record at a byte position of name.SQI as the current message; none when that is
  // outside the index or cannot be read.
  void MakeCurrent(std::int64_t position);
  void NoCurrent();
  // Reads frame, message header, control information and (with body) the text.
  bool LoadMessage(bool withBody);
  // count bytes of name.SQD at offset, or nullptr when the file ends first. The pointer is
  // valid until the next read or write.
  const char* ReadSqd(std::uint64_t offset, std::size_t count);
  // Every write to name.SQD goes through here, which also forgets the read window.
  bool WriteSqd(std::uint64_t offset, const void* bytes, std::size_t count);
  bool EnsureWritable();
  std::int64_t SqdSize(bool refresh);
  // A frame header from (into) its kFrameHeaderSize stored bytes.
  static Frame DecodeFrame(const char* bytes);
  static void EncodeFrame(const Frame& frame, char* bytes);
  bool ReadFrame(std::uint32_t offset, Frame& frame);
  bool WriteFrame(std::uint32_t offset, const Frame& frame);
  void AppendToFreeChain(std::uint32_t offset, Frame& frame);
  // Closes whatever Open or Create had opened, sets the status and clears the path; false.
  bool FailOpen(std::int32_t status);
  // Takes a frame out of the message chain or the free chain, whose first and last frames
  // are the base header fields given.
  void UnlinkFromChain(const Frame& frame, std::size_t firstField, std::size_t lastField);
  bool LinkIntoMessageChain(std::uint32_t offset, const Frame& frame);
  bool WriteBaseHeader();
  std::uint32_t BaseU32(std::size_t offset) const;
  void SetBaseU32(std::size_t offset, std::uint32_t value);
  std::uint32_t MsgAttr() const;
  void GetField(std::size_t offset, std::size_t size, std::string& out) const;
  void SetField(std::size_t offset, std::size_t size, std::string_view value);
  void GetDosDate(std::size_t offset, MsgDateTime& date) const;
  void SetDosDate(std::size_t offset, const MsgDateTime& date);

  IndexRecord index_;
  Frame frame_;
  std::uint32_t frameOffset_ = 0;
  bool newMessage_ = false;
  std::array<char, squish::kBaseHeaderSize> baseHeader_{};
  std::array<char, squish::kMsgHeaderSize> msgHeader_{};
  std::int32_t indexPos_ = 0;
  File sqd_;
  File sqi_;
  // The size of name.SQI in bytes (kept in step by the writing side), and a window of it:
  // a scan reads the index in blocks and holds no more of it than one block.
  std::int64_t indexSize_ = 0;
  std::string indexWindow_;
  std::int64_t indexWindowStart_ = 0;
  std::int64_t sqdSize_ = 0;
  bool writable_ = false;
  bool headerChanged_ = false;
  std::string window_;
  std::uint64_t windowStart_ = 0;
  std::string readBuffer_;
};

}  // namespace tarnik
