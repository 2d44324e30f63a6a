#include "post/report_poster.h"

#include <vector>

#include "config/configuration.h"
#include "config/echo_group.h"
#include "msgbase/kludge.h"
#include "msgbase/msg_date_time.h"
#include "post/echomail_text.h"
#include "post/ftn_packet.h"
#include "post/packet_format.h"
#include "post/packet_spool.h"
#include "report/report_template.h"

namespace tarnik {
namespace {

constexpr std::string_view kDefaultFrom = "Tarnik";
constexpr std::string_view kDefaultTo = "All";

}  // namespace

std::string PostedCharset(const Configuration& config) { return config.charset; }

ReportPoster::ReportPoster(const Configuration& config, Services services)
    : config_(config), services_(services), serial_(services.clock) {}

std::string ReportPoster::Subject(const EchoGroup& group) const {
  if (group.postSubject.empty()) return group.description;
  // The report's own variables, so a subject can name the period.
  ReportTemplate report(group, services_.clock);
  return report.engine().Expand(group.postSubject);
}

bool ReportPoster::Post(const EchoGroup& group, std::string_view report) {
  const LocalTime now = services_.clock.Now();
  const std::string charset = PostedCharset(config_);
  const std::string chrs = ChrsValue(charset);
  const TextMeasure measure = MeasureOf(charset);

  EchomailHeader header;
  header.area = group.postArea;
  header.address = config_.address;
  header.chrs = chrs;
  header.utcOffsetMinutes = now.utcOffsetMinutes;
  // The origin line has room for so many bytes of text; cut here, a cut never splits a
  // character.
  const std::size_t originRoom = kOriginLineMax - OriginLine("", config_.address).size();
  header.origin =
      CutBytes(config_.origin.empty() ? group.description : config_.origin, originRoom, measure);

  PacketHeaderFields packetHeader;
  packetHeader.orig = config_.address;
  packetHeader.dest = config_.address;
  packetHeader.created = now;
  packetHeader.password = config_.packetPassword;
  std::string packet = EncodePacketHeader(packetHeader);

  const std::size_t maxSize =
      group.postMaxSize > 0 ? static_cast<std::size_t>(group.postMaxSize) : kDefaultPostMaxSize;
  const std::vector<std::string> parts = SplitReportText(report, maxSize);
  const std::string subject = Subject(group);
  const int count = static_cast<int>(parts.size());
  PackedMessageFields message;
  message.orig = config_.address;
  message.dest = config_.address;
  message.written = MsgDateTimeFromLocal(now);
  message.from = CutBytes(group.postFrom.empty() ? kDefaultFrom : group.postFrom,
                          kPmFromNameSize - 1, measure);
  message.to =
      CutBytes(group.postTo.empty() ? kDefaultTo : group.postTo, kPmToNameSize - 1, measure);
  for (int i = 0; i < count; ++i) {
    message.subject = PartSubject(subject, i + 1, count, kPmSubjectSize - 1, measure);
    message.text = EchomailText(header, HexSerial(serial_.Next()), parts[i]);
    packet += EncodePackedMessage(message);
  }
  packet += kPacketEnd;

  std::string path;
  std::string error;
  if (!SpoolPacket(config_.packetDir, packet, serial_.Next(), path, error)) {
    services_.diagnostics.Error(path, "report not posted to " + group.postArea + ": " + error);
    return false;
  }
  return true;
}

}  // namespace tarnik
