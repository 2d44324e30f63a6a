#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace tarnik {

class EchoGroup;

// Receives the areas a tosser reader finds: echo tag, area specification (base-kind letter
// and path) and group letter, in the order the reader meets them.
class AreaSink {
 public:
  virtual ~AreaSink() = default;
  virtual void Offer(std::string_view tag, std::string_view areaSpec, char groupLetter) = 0;
};

// Offers every area to every group, in the order of the list; each group that selects the
// echo appends an entry.
class GroupAreaSink final : public AreaSink {
 public:
  explicit GroupAreaSink(std::vector<std::unique_ptr<EchoGroup>>& groups) : groups_(groups) {}
  void Offer(std::string_view tag, std::string_view areaSpec, char groupLetter) override;

 private:
  std::vector<std::unique_ptr<EchoGroup>>& groups_;
};

}  // namespace tarnik
