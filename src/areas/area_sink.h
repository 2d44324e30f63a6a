#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace tarnik {

class EchoGroup;

// The group letter of an area whose tosser group is not a single character: "~" patterns
// compare the character after "~" with the letter, and a blank never follows "~" in a
// pattern word, so no group selects such an area by its group.
inline constexpr char kNoGroupLetter = ' ';

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
