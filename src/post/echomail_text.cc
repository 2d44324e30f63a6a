#include "post/echomail_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/program_info.h"
#include "msgbase/kludge.h"

namespace tarnik {
namespace {

struct ChrsName {
  std::string_view charset;  // as iconv names it, upper-cased
  std::string_view value;
};

// The identifiers FidoNet readers know, for the names iconv gives the same charsets.
constexpr ChrsName kChrsNames[] = {
    {"CP866", "CP866 2"},         {"IBM866", "CP866 2"},        {"866", "CP866 2"},
    {"UTF-8", "UTF-8 4"},         {"UTF8", "UTF-8 4"},          {"CP437", "CP437 2"},
    {"IBM437", "CP437 2"},        {"CP850", "CP850 2"},         {"IBM850", "CP850 2"},
    {"CP852", "CP852 2"},         {"IBM852", "CP852 2"},        {"IBM848", "CP848 2"},
    {"CP1125", "UKR 2"},          {"CP1250", "CP1250 2"},       {"WINDOWS-1250", "CP1250 2"},
    {"CP1251", "CP1251 2"},       {"WINDOWS-1251", "CP1251 2"}, {"CP1252", "CP1252 2"},
    {"WINDOWS-1252", "CP1252 2"}, {"ISO-8859-1", "LATIN-1 2"},  {"ISO8859-1", "LATIN-1 2"},
    {"LATIN1", "LATIN-1 2"},      {"ISO-8859-2", "LATIN-2 2"},  {"ISO8859-2", "LATIN-2 2"},
    {"LATIN2", "LATIN-2 2"},      {"ISO-8859-9", "LATIN-5 2"},  {"ISO8859-9", "LATIN-5 2"},
    {"LATIN5", "LATIN-5 2"},      {"ISO-8859-15", "LATIN-9 2"}, {"ISO8859-15", "LATIN-9 2"},
    {"LATIN9", "LATIN-9 2"},      {"KOI8-R", "KOI8-R 2"},       {"KOI8-U", "KOI8-U 2"},
    {"MACINTOSH", "MAC 2"},       {"ASCII", "ASCII 1"},         {"US-ASCII", "ASCII 1"},
};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// One report line as a message line with its CR.
std::string MessageLine(std::string_view line) {
  std::string out;
  out.reserve(line.size() + 2);
  if (StartsWith(line, "\x01") || StartsWith(line, "SEEN-BY:")) out += ' ';
  for (char c : line) out += c == '\0' || c == '\r' || c == '\n' ? ' ' : c;
  out += '\r';
  return out;
}

}  // namespace

std::vector<std::string> SplitReportText(std::string_view report, std::size_t maxBytes) {
  std::vector<std::string> parts(1);
  while (!report.empty()) {
    std::size_t end = report.find('\n');
    std::string_view line = report.substr(0, end);
    report = end == std::string_view::npos ? std::string_view{} : report.substr(end + 1);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    std::string text = MessageLine(line);
    if (!parts.back().empty() && parts.back().size() + text.size() > maxBytes) parts.emplace_back();
    parts.back() += text;
  }
  return parts;
}

std::string EchomailText(const EchomailHeader& header, std::string_view serial,
                         std::string_view body) {
  const std::string program = std::string(kProgramName) + " " + std::string(kProgramVersion);
  std::string text = "AREA:" + header.area + "\r";
  AppendKludgeLine(text, kKludgeMsgId, FormatAddress(header.address) + " " + std::string(serial));
  text += '\r';
  AppendKludgeLine(text, kKludgePid, program);
  text += '\r';
  AppendKludgeLine(text, kKludgeChrs, header.chrs);
  text += '\r';
  AppendKludgeLine(text, kKludgeTzutc, TzutcValue(header.utcOffsetMinutes));
  text += '\r';
  text += body;
  text += "--- " + program + "\r";
  text += OriginLine(header.origin, header.address) + "\r";
  return text;
}

std::string TzutcValue(int utcOffsetMinutes) {
  const int magnitude = std::abs(utcOffsetMinutes);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%s%02d%02d", utcOffsetMinutes < 0 ? "-" : "",
                magnitude / 60 % 100, magnitude % 60);
  return buffer;
}

std::string ChrsValue(std::string_view charset) {
  const std::string name = IconvCharsetName(charset);
  for (const ChrsName& known : kChrsNames) {
    if (name == known.charset) return std::string(known.value);
  }
  return name + " 2";
}

std::string CutBytes(std::string_view text, std::size_t maxBytes, TextMeasure measure) {
  return std::string(text.substr(0, CharacterBoundary(text, maxBytes, measure)));
}

std::string PartSubject(std::string_view subject, int part, int parts, std::size_t maxBytes,
                        TextMeasure measure) {
  if (parts <= 1) return CutBytes(subject, maxBytes, measure);
  std::string suffix = " (" + std::to_string(part) + "/" + std::to_string(parts) + ")";
  std::size_t room = maxBytes > suffix.size() ? maxBytes - suffix.size() : 0;
  return CutBytes(subject, room, measure) + suffix;
}

std::string HexSerial(std::uint32_t value) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value));
  return std::string(digits, 8);
}

}  // namespace tarnik
