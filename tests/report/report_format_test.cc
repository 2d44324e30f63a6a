#include "report/report_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnik {
namespace {

TEST(Bar, LengthIsValueTimesLengthOverMax) {
  struct Case {
    std::int64_t max, length, value;
    std::string expected;
  } cases[] = {
      {3, 42, 3, std::string(42, '\xDC')},
      {42, 42, 21, std::string(21, '\xDC')},
      {100, 42, 1, "\xDA"},
      {0, 42, 0, ""},
      {-5, 42, 3, ""},
      {1, 200, 1, std::string(108, '\xDC')},
      // Byte totals times the length pass 2^31; the bar must still be full.
      {1000000000, 34, 1000000000, std::string(34, '\xDC')},
      {1000000000, 34, 500000000, std::string(17, '\xDC')},
      {10, -5, 10, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.max) + " " + std::to_string(c.length) + " " +
                 std::to_string(c.value));
    EXPECT_EQ(Bar(c.max, c.length, c.value), c.expected);
  }
}

TEST(DateTexts, LongAndShortForms) {
  EXPECT_EQ(LongDateText(7, 3, 2001), "07.03.2001");
  EXPECT_EQ(ShortDateText(7, 3, 2001), "07.03.01");
  EXPECT_EQ(ShortDateText(31, 12, 99), "31.12.");
  EXPECT_EQ(DayName(0), "Sun");
  EXPECT_EQ(DayName(6), "Sat");
  EXPECT_EQ(AddressText({2, 5020, 1, 0}), "2:5020/1");
  EXPECT_EQ(AddressText({2, 5020, 1, 7}), "2:5020/1.7");
  EXPECT_EQ(AddressText({0, 5020, 1, 7}), "");
}

std::string Names(const std::vector<PersonStat>& persons) {
  std::string text;
  for (const PersonStat& person : persons) text += person.name + " ";
  return text;
}

TEST(ResortPersons, TiesComeOutReversedAndCarryOver) {
  std::vector<PersonStat> persons(5);
  const char* names[] = {"a", "b", "c", "d", "e"};
  const int written[] = {1, 2, 1, 2, 1};
  const int bytes[] = {5, 5, 7, 5, 5};
  for (int i = 0; i < 5; ++i) {
    persons[i].name = names[i];
    persons[i].written = written[i];
    persons[i].bytes = bytes[i];
  }
  ResortPersons(persons, PersonOrder::kByWritten);
  EXPECT_EQ(Names(persons), "d b e c a ");
  // Each re-sort starts from the order the previous one left.
  ResortPersons(persons, PersonOrder::kBySize);
  EXPECT_EQ(Names(persons), "c a e b d ");
  ResortPersons(persons, PersonOrder::kByTotal);
  EXPECT_EQ(Names(persons), "d b e a c ");
}

TEST(ResortSubjects, CountThenSubjectDescending) {
  std::vector<SubjectStat> subjects = {
      {"apple", 2}, {"Zoo", 2}, {"zoo", 1}, {"\x80\xE0", 2}, {"apple pie", 2}};
  ResortSubjects(subjects);
  std::string text;
  for (const SubjectStat& subject : subjects) text += subject.subject + "/";
  // Bytes compare unsigned and without case folding; a prefix comes after the longer text.
  EXPECT_EQ(text, "\x80\xE0/apple pie/apple/Zoo/zoo/");
}

}  // namespace
}  // namespace tarnik
