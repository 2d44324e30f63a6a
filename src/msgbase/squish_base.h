#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/file.h"
#include "common/read_window.h"
#include "msgbase/message_base.h"
#include "msgbase/squish_format.h"

namespace tarnik {

// A Squish message base (name.SQD, name.SQI). The current number is the message's unique id;
// navigation walks the index in file order. Open reads both files through the file opener and
// never writes them; the writing side (squish_base_write.cc) appends messages to a base that
// Create made and writes its base header back on Close.
class SquishBase final : public MessageBase {
 public:
  explicit SquishBase(const Clock& clock = DefaultServices().clock,
                      const FileOpener& files = DiskFiles());
  ~SquishBase() override;

  bool Open(const std::string& path) override;
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
  bool GetAttr(std::uint32_t code) override;
  void GetDateWritten(MsgDateTime& date) override;
  void GetDateArrived(MsgDateTime& date) override;
  bool IsRead() override;
  // Index records with message number 0: a walk ends at the first of them, so the records
  // from there on are not read.
  std::string DescribeDamage() override;

  // Writing side, in squish_base_write.cc.
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
  // Opens name.SQD and name.SQI for reading and takes the base header; false with the status.
  bool OpenSources();
  // Closes whatever Open or Create had opened, sets the status and clears the path; false.
  // Closes the member files, written or read.
  void CloseFiles();
  bool FailOpen(std::int32_t status);
  std::int32_t IndexRecords() const;
  // The index record at a byte position of name.SQI; false when it cannot be read.
  bool RecordAt(std::int64_t position, squish::IndexRecord& record);
  // The record at a byte position of name.SQI as the current message; none when that is
  // outside the index or cannot be read.
  void MakeCurrent(std::int64_t position);
  void NoCurrent();
  // Reads frame, message header, control information and (with body) the text.
  bool LoadMessage(bool withBody);
  // The frame of the current index record up to the end of its control information (with
  // body: of its text), checked against the file and the format's limits; empty with the
  // status set when it cannot be had.
  std::string_view ReadFrame(bool withBody, squish::Frame& frame);
  // The size of name.SQD as last seen; refresh looks again (a tosser may have appended).
  std::int64_t SqdSize(bool refresh);
  std::uint32_t BaseU32(std::size_t offset) const;
  std::uint32_t MsgAttr() const;
  void GetField(std::size_t offset, std::size_t size, std::string& out) const;
  void GetDosDate(std::size_t offset, MsgDateTime& date) const;

  // Writing side.
  bool CreateFiles(const std::string& base);
  void SetBaseU32(std::size_t offset, std::uint32_t value);
  void SetField(std::size_t offset, std::size_t size, std::string_view value);
  void SetDosDate(std::size_t offset, const MsgDateTime& date);
  // The orig and dest header fields from the kludge lines, utc_ofs and the FTSC date.
  void FillHeaderForWriting();
  // Makes the frame at offset the last of the message chain.
  bool AppendToMessageChain(std::uint32_t offset, const squish::Frame& frame);
  bool WriteIndexRecord();
  // Every write to name.SQD goes through here, which also forgets the read window.
  bool WriteSqd(std::uint64_t offset, const void* bytes, std::size_t count);
  bool WriteBaseHeader();

  squish::IndexRecord index_;
  std::array<char, squish::kBaseHeaderSize> baseHeader_{};
  std::array<char, squish::kMsgHeaderSize> msgHeader_{};
  std::int32_t indexPos_ = 0;
  // name.SQD is read in blocks, so a scan in file order reads the file in large pieces rather
  // than once per message; name.SQI likewise, holding no more of it than one block.
  ReadWindow sqd_;
  ReadWindow sqi_;
  // The size of name.SQI in bytes (kept in step by the writing side).
  std::int64_t indexSize_ = 0;
  std::int64_t sqdSize_ = 0;

  // Writing side: the files Create made, whether NewMessage began a message not yet written,
  // and whether the base header in memory differs from the stored one.
  File sqdOut_;
  File sqiOut_;
  bool newMessage_ = false;
  bool headerChanged_ = false;
};

}  // namespace tarnik
