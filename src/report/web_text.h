#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnik {

// Report text (names, subjects, descriptions, language texts and templates, all in code page
// 866) as UTF-8, the one encoding of HTML pages and JSON documents. Every byte maps to one
// character, so the result is always valid UTF-8.
std::string ToUtf8(std::string_view reportText);

// UTF-8 text made safe as HTML element content or a quoted attribute value: & < > " ' become
// references; control characters other than TAB, LF and CR become U+FFFD.
std::string HtmlEscaped(std::string_view utf8);

// UTF-8 text as a JSON string, quotes included: " and \ escaped, control characters as \uXXXX
// (or their short forms).
std::string JsonString(std::string_view utf8);

// "2001-03-07": the date form of JSON documents and HTML time elements.
std::string IsoDate(std::int32_t day, std::int32_t month, std::int32_t year);

}  // namespace tarnik
