#pragma once

#include <string_view>

#include "common/charset.h"
#include "scan/message_analysis.h"

namespace tarnik {

class Diagnostics;

// How the scan reads messages written in different charsets: the names and subject of each
// message are converted into the report charset, and then cut, measured and matched there.
// Made once per run; the scan's threads share it.
class MessageCharsets {
 public:
  // output and fallback are the configuration's Charset and DefaultCharset; charset names of
  // messages that no iconv knows are reported to diagnostics, once each.
  MessageCharsets(std::string_view output, std::string_view fallback, Diagnostics& diagnostics);

  // The converter for a message whose kludge names charset ("" when it names none); where
  // (the echo) goes into the warning about an unknown name.
  const CharsetConverter& For(std::string_view charset, std::string_view where) {
    return cache_.For(charset, where);
  }
  TextMeasure measure() const { return measure_; }
  const LookAlikes& lookAlikes() const { return lookAlikes_; }

 private:
  CharsetCache cache_;
  TextMeasure measure_;
  LookAlikes lookAlikes_;
};

}  // namespace tarnik
