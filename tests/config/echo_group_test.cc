#include "config/echo_group.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnik {
namespace {

std::string Entries(const EchoGroup& group) {
  std::string text;
  for (const EchoEntry& entry : group.echoes) text += entry.tag + " " + entry.areaSpec + "\n";
  return text;
}

struct Case {
  std::string patterns;
  std::string tag;
  char letter;
  bool selected;
};

TEST(AddEchoIfMatches, WordsSelectByPatternOrGroupLetter) {
  const Case cases[] = {
      {"SU.FOO ~B", "su.foo", 'A', true},
      {"SU.FOO ~B", "SUXFOO.OLD", 'A', true},
      {"SU.FOO ~B", "RU.BAR", 'B', true},
      {"SU.FOO ~B", "RU.BAR", 'A', false},
      {"ECHO", "MYECHO", 'A', true},
      {"^ECHO$", "MYECHO", 'A', false},
      // The letter is compared exactly; patterns are stored upper-cased.
      {"~B", "X", 'b', false},
      {"~BC", "X", 'B', true},
      {"~", "X", '~', false},
      {"~ X", "X", 'A', true},
      {"~", "", 'A', false},
      // An invalid word selects nothing; the others still may.
      {"( X", "X", 'A', true},
      {"(", "(", 'A', false},
      {"*X", "X", 'A', false},
      {"", "X", 'A', false},
      {"  \t ", "X", 'A', false},
      {"\tQ\tX\t", "X", 'A', true},
      {"$", "", 'A', true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("patterns \"" + c.patterns + "\" tag \"" + c.tag + "\" letter " + c.letter);
    EchoGroup group(c.patterns);
    group.AddEchoIfMatches(c.tag, "Spath", c.letter);
    EXPECT_EQ(Entries(group), c.selected ? c.tag + " Spath\n" : "");
  }
}

TEST(AddEchoIfMatches, OneEntryPerOfferInOfferOrder) {
  EchoGroup group("A B ~A");
  group.AddEchoIfMatches("AB", "Sab", 'A');  // three words select it: still one entry
  group.AddEchoIfMatches("XY", "Jxy", 'C');
  group.AddEchoIfMatches("BA", "Fba", 'C');
  group.AddEchoIfMatches("AB", "Sab", 'A');  // offered twice, appended twice
  EXPECT_EQ(Entries(group), "AB Sab\nBA Fba\nAB Sab\n");
  EXPECT_FALSE(group.IsSingleEcho());
}

TEST(AddEchoIfMatches, StoresShortStrings) {
  EchoGroup group("X");
  std::string spec = "F" + std::string(255, 'p');
  group.AddEchoIfMatches("X", spec, 'A');
  ASSERT_EQ(group.echoes.size(), 1u);
  EXPECT_EQ(group.echoes[0].areaSpec, spec.substr(0, 255));
  EXPECT_EQ(group.FirstEchoTag(), "X");
}

}  // namespace
}  // namespace tarnik
