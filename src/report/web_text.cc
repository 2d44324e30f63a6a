#include "report/web_text.h"

#include <cstdio>

#include "common/text.h"

namespace tarnik {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

}  // namespace

std::string HtmlEscaped(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
            c == '\x7F') {
          out += kReplacement;
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
          out += code;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string IsoDate(std::int32_t day, std::int32_t month, std::int32_t year) {
  std::string text = Decimal(year);
  if (year >= 0 && text.size() < 4) text.insert(0, 4 - text.size(), '0');
  return text + "-" + TwoDigits(month) + "-" + TwoDigits(day);
}

}  // namespace tarnik
