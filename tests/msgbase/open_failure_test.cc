#include "msgbase/open_failure.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "msgbase/message_base.h"
#include "support/base_builder.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

// Opens the specification as the scan does and explains the failure.
std::string Failure(const std::string& spec) {
  std::unique_ptr<MessageBase> base;
  std::int32_t status = 0;
  if (OpenMessageBase(spec, base, &status)) return "opened";
  return OpenFailureText(spec, status);
}

TEST(OpenFailureText, NamesTheFileAndTheReason) {
  testing::TempDir dir;
  ASSERT_TRUE(testing::WriteTestBase("Jjam", {testing::TestMessage()}));
  ASSERT_TRUE(testing::WriteTestBase("Ssq", {testing::TestMessage()}));
  ASSERT_TRUE(testing::WriteTestBase("Fmsg", {testing::TestMessage()}));
  struct Case {
    std::string remove;  // a file of the good bases taken away first
    std::string spec;
    std::string expected;
  } cases[] = {
      {"", "Jjam", "opened"},
      {"jam.JDT", "Jjam", "JAM base jam: jam.JDT: not found (in any letter case)"},
      {"jam.JDX", "Jjam", "JAM base jam: jam.JDX: not found (in any letter case)"},
      {"jam.JHR", "Jjam", "JAM base jam: jam.JHR: not found (in any letter case)"},
      {"sq.SQI", "Ssq", "Squish base sq: sq.SQI: not found (in any letter case)"},
      {"sq.SQD", "sSQ", "Squish base SQ: SQ.SQD: not found (in any letter case)"},
      {"", "Mgone", "*.MSG base gone: no such directory"},
      {"", "Qx", "unknown base kind \"Q\" in \"Qx\" (S Squish, J JAM, F or M *.MSG)"},
      {"", "", "no area specification"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spec + " without " + c.remove);
    if (!c.remove.empty()) std::filesystem::remove(dir.File(c.remove));
    EXPECT_EQ(Failure(c.spec), c.expected);
  }
}

TEST(OpenFailureText, AHeaderCutShortIsNotAMissingFile) {
  testing::TempDir dir;
  ASSERT_TRUE(testing::WriteTestBase("Ssq", {testing::TestMessage()}));
  dir.Write("sq.SQD", "short");
  EXPECT_EQ(Failure("Ssq"), "Squish base sq: sq.SQD: too short for its header, or unreadable");
}

}  // namespace
}  // namespace tarnik
