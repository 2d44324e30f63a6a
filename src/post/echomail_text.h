#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/charset.h"
#include "core/ftn_address.h"

namespace tarnik {

// Report text per message when a group sets no PostMaxSize.
inline constexpr std::size_t kDefaultPostMaxSize = 32000;

// What every part of one post carries besides its share of the report.
struct EchomailHeader {
  std::string area;
  FtnAddress address;  // the node's, for the MSGID and origin lines
  std::string chrs;    // CHRS kludge value, "CP866 2"
  int utcOffsetMinutes = 0;
  std::string origin;  // origin line text
};

// The report's lines (CR LF or LF ends) with CR ends, in parts of at most maxBytes bytes,
// split only at line ends; a single longer line makes a part of its own. Bytes a packed
// message cannot carry inside a line (zero, CR, LF) become spaces, and a line that a tosser or
// reader would take for a control line (byte 1 or "SEEN-BY:" in front) gets a leading space.
// An empty report gives one empty part.
std::vector<std::string> SplitReportText(std::string_view report, std::size_t maxBytes);

// One message's text: AREA line, MSGID with the serial (eight hex digits), PID, CHRS and TZUTC
// kludges, the body, the tearline and the origin line, each line ended by CR.
std::string EchomailText(const EchomailHeader& header, std::string_view serial,
                         std::string_view body);

// The TZUTC kludge value of an offset east of UTC: "0300", "-0500", "0545".
std::string TzutcValue(int utcOffsetMinutes);
// The CHRS kludge value for a charset as the configuration names it ("CP866" -> "CP866 2",
// "utf8" -> "UTF-8 4", "ISO-8859-1" and "LATIN-1" -> "LATIN-1 2", "IBMPC" -> "CP437 2");
// other names go as iconv knows them, with level 2.
std::string ChrsValue(std::string_view charset);

// At most maxBytes bytes of text, never cut inside a character.
std::string CutBytes(std::string_view text, std::size_t maxBytes, TextMeasure measure);
// The subject of part `part` of `parts`: the subject itself for a single part, else the
// subject with " (part/parts)", the subject cut so the whole fits maxBytes.
std::string PartSubject(std::string_view subject, int part, int parts, std::size_t maxBytes,
                        TextMeasure measure);

// Eight lower-case hex digits.
std::string HexSerial(std::uint32_t value);

}  // namespace tarnik
