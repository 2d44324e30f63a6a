#pragma once

#include <string>
#include <string_view>

#include "common/services.h"
#include "post/post_serial.h"

namespace tarnik {

class Configuration;
class EchoGroup;

// The charset the reports are written in, as the configuration names it.
std::string PostedCharset(const Configuration& config);

// Posts finished reports into their echoes: each report becomes one echomail message (several
// when it is longer than the group's PostMaxSize) in a new packet in the configuration's
// PacketDir, from and to the node's Address. One poster serves a whole run, so MSGID serials
// and packet names never repeat within it.
class ReportPoster {
 public:
  // The configuration must outlive the poster.
  ReportPoster(const Configuration& config, Services services);

  // Posts the report text of a group with a post target (group.postArea). False when the
  // packet could not be written; a diagnostic with the path and the reason says so.
  bool Post(const EchoGroup& group, std::string_view report);

 private:
  std::string Subject(const EchoGroup& group) const;

  const Configuration& config_;
  Services services_;
  PostSerial serial_;
};

}  // namespace tarnik
