#include "msgbase/open_failure.h"

#include "common/file.h"
#include "common/text.h"
#include "msgbase/base_status.h"

namespace tarnik {
namespace {

enum class Problem { kMissing, kUnreadable };

struct FileFailure {
  std::int32_t status;
  std::string_view extension;
  Problem problem;
};

constexpr FileFailure kFileFailures[] = {
    {jam::kErrorNoHeaderFile, "JHR", Problem::kMissing},
    {jam::kErrorNoIndexFile, "JDX", Problem::kMissing},
    {jam::kErrorNoTextFile, "JDT", Problem::kMissing},
    {jam::kErrorOpenHeaderFile, "JHR", Problem::kUnreadable},
    {jam::kErrorOpenIndexFile, "JDX", Problem::kUnreadable},
    {jam::kErrorOpenTextFile, "JDT", Problem::kUnreadable},
    {jam::kErrorRead, "JHR", Problem::kUnreadable},
    {squish::kErrorNoSqd, "SQD", Problem::kMissing},
    {squish::kErrorNoSqi, "SQI", Problem::kMissing},
    {squish::kErrorOpenSqd, "SQD", Problem::kUnreadable},
    {squish::kErrorOpenSqi, "SQI", Problem::kUnreadable},
};

std::string_view KindName(char letter) {
  switch (letter) {
    case 'S':
    case 's':
      return "Squish base ";
    case 'J':
    case 'j':
      return "JAM base ";
    default:
      return "*.MSG base ";
  }
}

// The reason a file that exists cannot be used: the system's, or a header cut short (the
// base opens its files only after finding them, so a file that opens now was too short).
std::string UnreadableReason(const std::string& name) {
  File file;
  if (!file.Open(name, FileMode::kReadOnly)) return file.ErrorText();
  return "too short for its header, or unreadable";
}

}  // namespace

std::string OpenFailureText(std::string_view spec, std::int32_t status) {
  if (spec.empty()) return "no area specification";
  if (status == kErrorUnknownBaseKind) {
    return "unknown base kind \"" + std::string(1, spec[0]) + "\" in \"" + std::string(spec) +
           "\" (S Squish, J JAM, F or M *.MSG)";
  }
  const std::string path = CutShort(spec.substr(1));
  std::string text = std::string(KindName(spec[0])) + path + ": ";
  if (status == msg::kErrorNoDirectory) return text + "no such directory";
  for (const FileFailure& failure : kFileFailures) {
    if (failure.status != status) continue;
    const std::string name = WithFinalDot(path) + std::string(failure.extension);
    text += name + ": ";
    return text + (failure.problem == Problem::kMissing ? "not found (in any letter case)"
                                                        : UnreadableReason(name));
  }
  return text + "error " + Decimal(status);
}

}  // namespace tarnik
