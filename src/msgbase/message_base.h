#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/file_opener.h"
#include "common/services.h"
#include "core/ftn_address.h"
#include "msgbase/base_status.h"
#include "msgbase/kludge.h"
#include "msgbase/message_text.h"
#include "msgbase/msg_date_time.h"

namespace tarnik {

// Attribute codes of the interface; each format maps them to its own stored bits and treats
// a code it cannot store as not set.
inline constexpr std::uint32_t kAttrPrivate = 0x0001;
inline constexpr std::uint32_t kAttrCrash = 0x0002;
inline constexpr std::uint32_t kAttrReceived = 0x0004;
inline constexpr std::uint32_t kAttrSent = 0x0008;
inline constexpr std::uint32_t kAttrFileAttached = 0x0010;
inline constexpr std::uint32_t kAttrInTransit = 0x0020;
inline constexpr std::uint32_t kAttrOrphan = 0x0040;
inline constexpr std::uint32_t kAttrKillSent = 0x0080;
inline constexpr std::uint32_t kAttrLocal = 0x0100;
inline constexpr std::uint32_t kAttrHold = 0x0200;
inline constexpr std::uint32_t kAttrFileRequest = 0x0400;
inline constexpr std::uint32_t kAttrReturnReceiptRequest = 0x0800;
inline constexpr std::uint32_t kAttrIsReturnReceipt = 0x1000;
inline constexpr std::uint32_t kAttrAuditRequest = 0x2000;
inline constexpr std::uint32_t kAttrFileUpdateRequest = 0x4000;
inline constexpr std::uint32_t kAttrScanned = 0x8000;

// Message type flags.
inline constexpr std::uint32_t kTypeNetmail = 1;
inline constexpr std::uint32_t kTypeEchomail = 2;
inline constexpr std::uint32_t kTypeLocal = 4;

// Buffer sizes of the line operations: ReadLine returns at most 255 bytes, kludge searches
// and edits see at most 16383 bytes of a line.
inline constexpr std::size_t kReadLineBuffer = 256;
inline constexpr std::size_t kKludgeSearchBuffer = 16384;

// One message base: Squish, JAM or a *.MSG directory. The reading side walks the messages
// (SeekFrom / SeekFound / SeekNext), opens each into an in-memory text and reads its header
// fields and lines; it reads the base's files through the file opener (the disk, or files in
// memory for tests and fuzzers) and never writes. The writing side makes new bases for the
// sample generator, the fuzz seeds and the tests: Create, then NewMessage, the setters, the
// text and WriteMessage per message; it writes on disk and works only on a base it created.
// Failures set a status code (base_status.h) and return false; nothing throws. The
// destructor closes the open message, then the base.
class MessageBase {
 public:
  explicit MessageBase(const Clock& clock = DefaultServices().clock,
                       const FileOpener& files = DiskFiles());
  virtual ~MessageBase();
  MessageBase(const MessageBase&) = delete;
  MessageBase& operator=(const MessageBase&) = delete;

  // Opens the base at path (a format appends its separator). False with the status set.
  virtual bool Open(const std::string& path) = 0;
  // Writing side: makes an empty base (and its directory) and opens it for writing.
  virtual bool Create(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual void Close() = 0;
  virtual bool MessageExists(std::int32_t n) = 0;
  std::int32_t GetCurrent() const { return current_; }
  // current := n - 1, then SeekNext.
  virtual void SeekFrom(std::int32_t n);
  // The next (previous) existing number up to GetHigh (down to 1); 0 when there is none.
  virtual void SeekNext();
  virtual void SeekPrev();
  bool SeekFound() const { return current_ != 0; }
  // The walk as places below WalkEnd(): the current message's place grows with every
  // SeekNext, and SeekPlace(p) stands where a walk arrives at its first message at place p
  // or later. Two bases positioned at places read the parts of one walk. By default the
  // place is the message number.
  virtual std::int64_t WalkPlace() { return current_; }
  virtual std::int64_t WalkEnd() { return std::int64_t{GetHigh()} + 1; }
  virtual void SeekPlace(std::int64_t place);
  virtual std::int32_t GetPosition() = 0;
  virtual void SetPosition(std::int32_t position) = 0;
  // Loads the current message (header, kludge lines, body) into the text. A failure leaves
  // the base usable; the caller still calls CloseMessage and goes on with SeekNext.
  virtual bool OpenMessage() = 0;
  // As OpenMessage, but the text holds only the kludge lines.
  virtual bool OpenHeader() = 0;
  // Drops the text and releases the message; true if there was one.
  virtual bool CloseMessage() = 0;
  virtual std::int32_t GetHigh() = 0;
  virtual std::int32_t GetCount() = 0;
  virtual void GetFrom(std::string& from) = 0;
  virtual void GetTo(std::string& to) = 0;
  virtual void GetSubject(std::string& subject) = 0;
  // Addresses from the kludge lines of the text (start cleared). These read the whole text:
  // a caller that reads lines afterwards calls SeekText(0) first.
  virtual void GetOrigAddr(FtnAddress& address);
  virtual void GetDestAddr(FtnAddress& address);
  virtual void GetAddrs(FtnAddress& dest, FtnAddress& orig);
  // True when GetOrigAddr and GetDestAddr take nothing but the kludge lines of the text into
  // account (a base with addresses in its header says false).
  virtual bool AddressesOnlyInKludges() const { return true; }
  virtual void SetFrom(std::string_view from) = 0;
  virtual void SetTo(std::string_view to) = 0;
  virtual void SetSubject(std::string_view subject) = 0;
  // Writes the MSGID line (keeping its serial unless renew or there is none) and, for
  // netmail, the INTL and FMPT lines.
  virtual void SetOrigAddr(bool renew, const FtnAddress& address);
  // For netmail only: writes the INTL and TOPT lines.
  virtual void SetDestAddr(const FtnAddress& address);
  void SetAddrs(bool renew, const FtnAddress& dest, const FtnAddress& orig);

  // Reads one line into line (its capacity is reused): at most maxBytes - 1 bytes, the rest
  // of a longer line skipped. Empty at the end of the text or when there is no text.
  void ReadLineBuf(std::size_t maxBytes, std::string& line);
  // One line of at most 255 bytes.
  void ReadLine(std::string& line) { ReadLineBuf(kReadLineBuffer, line); }
  // The same line as ReadLine as a view into the text, valid until the text changes: the
  // allocation-free way to read every line of a message.
  std::string_view ReadLineView(std::size_t maxBytes = kReadLineBuffer);
  // Writes the bytes and one CR at the text position (no LF).
  void WriteLine(std::string_view line);
  bool EndOfText() const;
  void SeekText(std::int32_t position);
  std::int32_t GetTextPos() const;
  std::int32_t GetTextSize() const;
  // Raw read and write at the text position; ReadText returns the number of bytes read.
  std::size_t ReadText(std::size_t count, void* buffer);
  void WriteText(std::string_view bytes);

  virtual bool GetAttr(std::uint32_t code) = 0;
  virtual void SetAttr(bool on, std::uint32_t code) = 0;
  virtual void GetDateWritten(MsgDateTime& date) = 0;
  virtual void GetDateArrived(MsgDateTime& date) = 0;
  virtual void SetDateWritten(const MsgDateTime& date) = 0;
  virtual void SetDateArrived(const MsgDateTime& date) = 0;
  // Writing side: stores header, kludges and text of the message NewMessage began; false
  // when there is none (a message is written once).
  virtual bool WriteMessage() = 0;

  // From the start of the text, the first line (cut to maxBytes - 1 bytes) that begins with
  // name; it is copied to line and its start and end positions are remembered. False at the
  // end of the text.
  bool FindKludgeBuf(std::size_t maxBytes, std::string& line, std::string_view name);
  // As FindKludgeBuf with lines of 255 bytes; line is the whole line, name included.
  bool GetKludge(std::string_view name, std::string& line);
  // Replaces the first line beginning with name by line (+ CR), or inserts it when absent.
  void ReplaceKludge(std::string_view line, std::string_view name);
  // Removes the first line beginning with name, if any.
  void DeleteKludge(std::string_view name);
  // Puts line (+ CR) at KludgeEnd. Every kludge edit leaves the text position at the end.
  void InsertKludge(std::string_view line);

  // The open message's text; nullptr when there is none.
  MessageText* GetText() { return hasText_ ? &text_ : nullptr; }
  void SetTypeFlag(bool on, std::uint32_t flag);
  bool HasTypeFlag(std::uint32_t flag) const { return (typeFlags_ & flag) == flag; }
  void ParseOrigKludge(FtnAddress& address, std::string_view line) const {
    tarnik::ParseOrigKludge(address, line);
  }
  void ParseDestKludge(FtnAddress& address, std::string_view line) const {
    tarnik::ParseDestKludge(address, line);
  }
  // Writing side: starts a new message in a base made by Create: number, empty header, empty
  // text, both dates now. False on a base that was opened for reading.
  virtual bool NewMessage() = 0;
  // 0 netmail, 1 echomail, 2 local: sets that flag and clears the other two.
  void SetMsgType(std::uint8_t kind);
  // Writes " * Origin: text (address)" (at most 79 bytes) and CR at the text position.
  void WriteOrigin(std::string_view text, const FtnAddress& address);
  // Text position after the leading kludge lines: the start of the first line without byte 1
  // that follows a kludge line; the text size when the text ends first or has no kludge.
  std::int32_t KludgeEnd();
  void SetStatus(std::int32_t status) { status_ = status; }
  std::int32_t GetStatus() const { return status_; }
  void SetOpen(bool open) { open_ = open; }
  bool IsOpen() const { return open_; }
  void SetCurrent(std::int32_t current) { current_ = current; }
  void SetPath(std::string_view path) { path_ = path; }
  void GetPath(std::string& path) const { path = path_; }
  const std::string& Path() const { return path_; }
  // The message's read mark; false where the format has none.
  virtual bool IsRead() { return false; }

  // Text positions of the line the last successful kludge search found.
  std::int32_t KludgeStartPos() const { return kludgeStart_; }
  std::int32_t KludgeEndPos() const { return kludgeEnd_; }

 protected:
  // A new, empty text (its storage reused) for the message being opened or composed.
  MessageText& NewText();
  void DropText() {
    hasText_ = false;
    text_.Clear();
  }
  bool HasText() const { return hasText_; }
  // Applies the kludge rules of every line that counts (the first one and each ^A line) to
  // the addresses given, which the caller has preset; either may be nullptr.
  void AddrsFromKludges(FtnAddress* dest, FtnAddress* orig);
  // A new MSGID serial from the base's clock.
  std::string NewSerial() { return serial_.Next(); }
  const Clock& clock() const { return clock_; }
  const FileOpener& files() const { return files_; }

 private:
  // Replaces text from position start to the end by line + CR + rest; position at the end.
  void SpliceLine(std::size_t start, std::size_t end, std::string_view line, bool withLine);
  // For netmail: the INTL line (destination, then origin, without points) and the point
  // kludge of one side (FMPT or TOPT), deleted when that side's point is 0.
  void WriteNetmailKludges(const FtnAddress& dest, const FtnAddress& orig,
                           std::string_view pointKludge, std::int16_t point);

  std::int32_t kludgeStart_ = 0;
  std::int32_t kludgeEnd_ = 0;
  std::int32_t status_ = 0;
  bool open_ = false;
  std::uint32_t typeFlags_ = 0;
  std::int32_t current_ = 0;
  MessageText text_;
  bool hasText_ = false;
  std::string path_;
  const Clock& clock_;
  const FileOpener& files_;
  MsgIdSerial serial_;
  std::string scratch_;
  std::string msgIdLine_;
};

// Builds the base that the first letter of an area specification names ("S"/"s" Squish,
// "J"/"j" JAM, "F", "f", "M", "m", "*" *.MSG), closed, with the path empty, reading through
// files. For an unknown kind (or an empty specification) returns nullptr and sets lastError
// to 256. The last error is the caller's variable rather than module state; lastError may be
// nullptr.
std::unique_ptr<MessageBase> CreateMessageBase(std::string_view spec,
                                               std::int32_t* lastError = nullptr,
                                               const Clock& clock = DefaultServices().clock,
                                               const FileOpener& files = DiskFiles());
// Creates the base and opens it with the path of the specification (at most 255 bytes). On
// failure base is empty, lastError holds the base's status (or 256) and the result is false.
bool OpenMessageBase(std::string_view spec, std::unique_ptr<MessageBase>& base,
                     std::int32_t* lastError = nullptr,
                     const Clock& clock = DefaultServices().clock,
                     const FileOpener& files = DiskFiles());
// Closes and destroys the base, if any.
void CloseMessageBase(std::unique_ptr<MessageBase>& base);
// Destroys the base (its destructor closes it); true if there was one.
bool DisposeMessageBase(std::unique_ptr<MessageBase>& base);

}  // namespace tarnik
