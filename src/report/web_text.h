#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

// HTML pages and JSON documents are UTF-8 whatever the report charset; the report writer
// converts report text (names, subjects, descriptions, language texts, templates) with a
// CharsetConverter into UTF-8 before these are applied.

// UTF-8 text made safe as HTML element content or a quoted attribute value: & < > " ' become
// references; control characters other than TAB, LF and CR become U+FFFD.
std::string HtmlEscaped(std::string_view utf8);

// UTF-8 text as a JSON string, quotes included: " and \ escaped, control characters as \uXXXX
// (or their short forms).
std::string JsonString(std::string_view utf8);

// "2001-03-07": the date form of JSON documents and HTML time elements.
std::string IsoDate(std::int32_t day, std::int32_t month, std::int32_t year);

}  // namespace tarnik
