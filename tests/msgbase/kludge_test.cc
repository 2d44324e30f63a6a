#include "msgbase/kludge.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarnik {
namespace {

TEST(KludgeLine, NameBlankValueUnlessTheNameEndsWithABlank) {
  struct Case {
    std::string_view name;
    const char* value;
    const char* line;
  } cases[] = {
      {kKludgeMsgId, "2:5020/1 1234abcd", "\x01MSGID: 2:5020/1 1234abcd"},
      {kKludgeIntl, "1:2/3 4:5/6", "\x01INTL 1:2/3 4:5/6"},
      {kKludgeVia, "2:5020/1", "\x01Via 2:5020/1"},
      {kKludgeSeenBy, "5020/1", "SEEN-BY: 5020/1"},
      {kKludgePid, "", "\x01PID: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(KludgeLine(c.name, c.value), c.line);
    EXPECT_EQ(KludgeValue(c.line, c.name), std::optional<std::string_view>(c.value));
  }
}

TEST(KludgeValue, OnlyTheNameFollowedByItsBlank) {
  struct Case {
    const char* line;
    std::string_view name;
    const char* value;  // nullptr: not that kludge
  } cases[] = {
      {"\x01MSGID:2:5020/1 1", kKludgeMsgId, nullptr},
      {"\x01MSGID:", kKludgeMsgId, nullptr},
      {"\x01MSGID:  x", kKludgeMsgId, " x"},
      {"\x01REPLY: x", kKludgeMsgId, nullptr},
      {"SEEN-BY: 1/2", kKludgeSeenBy, "1/2"},
      {"SEEN-BY:1/2", kKludgeSeenBy, nullptr},
      {"\x01Via", kKludgeVia, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::optional<std::string_view> value = KludgeValue(c.line, c.name);
    if (c.value == nullptr) {
      EXPECT_FALSE(value.has_value());
    } else {
      EXPECT_EQ(value, std::optional<std::string_view>(c.value));
    }
  }
}

}  // namespace
}  // namespace tarnik
