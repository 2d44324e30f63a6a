#include "fuzz_support.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "common/bytes.h"
#include "common/clock.h"
#include "common/file.h"
#include "common/text.h"
#include "core/calendar.h"
#include "core/ftn_address.h"
#include "msgbase/message_base.h"
#include "scan/message_analysis.h"

namespace tarnik::fuzz {
namespace {

std::string* workDir = nullptr;

void RemoveWorkDir() {
  if (workDir == nullptr) return;
  std::error_code error;
  std::filesystem::remove_all(*workDir, error);
  delete workDir;
  workDir = nullptr;
}

constexpr std::uint32_t kAttrCodes[] = {kAttrPrivate,
                                        kAttrCrash,
                                        kAttrReceived,
                                        kAttrSent,
                                        kAttrFileAttached,
                                        kAttrInTransit,
                                        kAttrOrphan,
                                        kAttrKillSent,
                                        kAttrLocal,
                                        kAttrHold,
                                        kAttrFileRequest,
                                        kAttrReturnReceiptRequest,
                                        kAttrIsReturnReceipt,
                                        kAttrAuditRequest,
                                        kAttrFileUpdateRequest,
                                        kAttrScanned};

// Everything a scan and the report derive from one date, on values as hostile as stored.
void UseDate(const MsgDateTime& date) {
  std::int32_t day = DayNumber(date.Year, date.Month, date.Day);
  std::int32_t d = 0;
  std::int32_t m = 0;
  std::int32_t y = 0;
  DateOfDayNumber(day, d, m, y);
  int weekday = DayOfWeek(date.Year, date.Month, date.Day);
  if (weekday < 0 || weekday > 6) std::abort();
  TwoDigits(date.Hour);
}

void ReadMessage(MessageBase& base, bool withBody) {
  std::string from;
  std::string to;
  std::string subject;
  base.GetFrom(from);
  base.GetTo(to);
  base.GetSubject(subject);
  NormalizeSubject(subject);

  MsgDateTime written;
  MsgDateTime arrived;
  base.GetDateWritten(written);
  base.GetDateArrived(arrived);
  UseDate(written);
  UseDate(arrived);
  DeliveryHours(DayNumber(written.Year, written.Month, written.Day), written.Hour,
                DayNumber(arrived.Year, arrived.Month, arrived.Day), arrived.Hour);

  for (std::uint32_t code : kAttrCodes) base.GetAttr(code);
  base.IsRead();

  FtnAddress orig;
  FtnAddress dest;
  base.GetOrigAddr(orig);
  base.GetDestAddr(dest);
  base.GetAddrs(dest, orig);
  FormatAddress(orig);
  FormatAddress4D(dest);

  std::string line;
  base.GetKludge("\x01MSGID", line);
  base.GetKludge(
      "\x01"
      "REPLY",
      line);
  base.KludgeEnd();
  base.GetTextSize();

  base.SeekText(0);
  while (!base.EndOfText()) {
    std::string_view view = base.ReadLineView();
    if (view.size() > 255) std::abort();
    CountsAsTextLine(view);
    IsQuotedLine(view);
  }
  if (withBody) {
    base.SeekText(0);
    while (!base.EndOfText()) {
      base.ReadLineBuf(80, line);
      if (line.size() > 79) std::abort();
    }
    char raw[64];
    base.SeekText(0);
    while (base.ReadText(sizeof raw, raw) == sizeof raw) {
    }
  }
}

}  // namespace

const Clock& FixedTime() {
  static const FixedClock clock(LocalTime{2024, 3, 1, 12, 0, 0, 0});
  return clock;
}

const std::string& WorkDir() {
  if (workDir == nullptr) {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / "tarnik-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    workDir = new std::string(pattern + "/");
    std::atexit(RemoveWorkDir);
  }
  return *workDir;
}

std::string FreshDir(std::string_view name) {
  std::string path = WorkDir() + std::string(name);
  std::error_code error;
  std::filesystem::remove_all(path, error);
  std::filesystem::create_directories(path, error);
  if (error) std::abort();
  return path + "/";
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  File file;
  if (!file.Open(path, FileMode::kCreate)) std::abort();
  if (!bytes.empty() && !file.Write(bytes.data(), bytes.size())) std::abort();
}

std::uint32_t TakeU32(std::string_view& input) {
  if (input.size() < 4) {
    input = {};
    return 0;
  }
  std::uint32_t value = LoadU32(input.data());
  input.remove_prefix(4);
  return value;
}

std::string_view TakeBytes(std::string_view& input, std::size_t count) {
  std::string_view part = input.substr(0, count);
  input.remove_prefix(part.size());
  return part;
}

void WalkBase(MessageBase& base) {
  std::int32_t high = base.GetHigh();
  base.GetCount();
  base.MessageExists(0);
  base.MessageExists(1);
  base.MessageExists(high);
  // A JAM base may number its last message INT32_MAX.
  if (high < INT32_MAX) base.MessageExists(high + 1);

  std::int32_t lastPosition = -1;
  for (base.SeekFrom(0); base.SeekFound(); base.SeekNext()) {
    lastPosition = base.GetPosition();
    if (base.OpenMessage()) ReadMessage(base, true);
    base.CloseMessage();
  }
  // A scan resuming from the data file starts in the middle.
  for (base.SeekFrom(high / 2); base.SeekFound(); base.SeekNext()) {
  }
  if (lastPosition >= 0) {
    for (base.SetPosition(lastPosition); base.SeekFound(); base.SeekPrev()) {
      if (base.OpenHeader()) ReadMessage(base, false);
      base.CloseMessage();
    }
  }
  base.Close();
}

}  // namespace tarnik::fuzz
