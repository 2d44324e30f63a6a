#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/charset.h"
#include "common/line_reader.h"
#include "common/services.h"
#include "config/echo_group.h"
#include "core/ftn_address.h"

namespace tarnik {

class Console;
class Diagnostics;
class LanguageTable;

// Console tree marks, code page 866 box-drawing bytes.
inline constexpr std::string_view kBranchMark = "\xC3\xC4 ";
inline constexpr std::string_view kLastMark = "\xC0\xC4 ";
inline constexpr std::string_view kSubBranchMark = "\xB3  \xC0\xC4 ";

// A packet password holds at most this many bytes.
inline constexpr std::size_t kPacketPasswordMax = 8;

// The configuration file: global keywords and the echo groups. The constructor writes the
// opening line and opens the file; it never fails (a file that cannot be opened leaves
// loaded false and writes the usage text). Besides the console texts, every faulty line gets
// one diagnostic naming the file and line.
class Configuration {
 public:
  // A charset keyword naming a charset that cannot be used is reported to diagnostics.
  // The file is read from the disk, or from files (tests and fuzzers keep it in memory).
  Configuration(const std::string& fileName, const LanguageTable& language, Console& console,
                Diagnostics& diagnostics = DefaultDiagnostics(),
                const FileOpener& files = DiskFiles());

  // Reads and interprets the whole file, applies the defaults; returns loaded.
  bool Load();

  std::vector<std::unique_ptr<EchoGroup>> groups;  // in the order of their "end" lines
  std::string areaFileType;                        // as written
  std::string areaFilePath;
  std::string dataFileName;  // "Tarnik.Dat" when not given
  std::string templatePath;  // always ends in a separator after Load
  FtnAddress address;        // the node's own address; zone 0 when not given
  std::string packetDir;     // the tosser's local inbound; empty when not given
  std::string packetPassword;
  std::string origin;  // origin line text; empty: each group's description
  // "Charset": the charset of the reports and of this file's and the templates' own text.
  std::string charset{kDesignCharset};
  // "DefaultCharset": the charset of messages that name none in a kludge.
  std::string defaultCharset{kDesignCharset};
  std::uint16_t lineNumber = 0;
  std::string fileName;
  bool loaded = true;

 private:
  void Interpret(const std::string& line);
  void InterpretGroupKeyword(const std::string& keyword, const std::string& line,
                             std::string_view value);
  void InterpretFormat(EchoGroup& group, std::string_view value);
  void CloseGroup();
  void CheckPatterns(std::string_view patterns);
  void CheckPeriod(const EchoGroup& group, std::string_view line, std::string_view value);
  // The group still open was never closed by "end", so it gets no report.
  void ReportUnclosedGroup();
  // The value of a list-length keyword (0 when it is not a number, which is reported).
  std::int32_t ListLength(std::string_view keyword, std::string_view value);
  // A diagnostic about the line being read.
  void LineError(std::string_view what);
  // Drops the post target of every group that cannot post: for want of Address or PacketDir,
  // or because its report is not text.
  void CheckPostTargets();

  void SetCharset(std::string& field, std::string_view value, bool forOutput);
  // A console tree mark in the charset of the lines being written.
  std::string Mark(std::string_view mark) const;

  const LanguageTable& language_;
  Console& console_;
  Diagnostics& diagnostics_;
  std::unique_ptr<EchoGroup> currentGroup_;
  std::unique_ptr<CharsetConverter> marks_;  // once a Charset line is read
  LineReader reader_;
};

}  // namespace tarnik
