#include "areas/area_sink.h"

#include "config/echo_group.h"

namespace tarnik {

void GroupAreaSink::Offer(std::string_view tag, std::string_view areaSpec, char groupLetter) {
  for (const std::unique_ptr<EchoGroup>& group : groups_) {
    group->AddEchoIfMatches(tag, areaSpec, groupLetter);
  }
}

}  // namespace tarnik
