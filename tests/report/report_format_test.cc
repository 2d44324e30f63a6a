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

TEST(ReportCharsetOf, BarsAndAxisInTheReportCharset) {
  const std::string block = "\xE2\x96\x84";
  const ReportCharset utf8 = ReportCharsetOf("UTF-8");
  EXPECT_EQ(utf8.measure, TextMeasure::kUtf8);
  EXPECT_EQ(utf8.axis, "\xE2\x94\x82");
  EXPECT_EQ(Bar(2, 42, 1, utf8).size(), 21 * block.size());
  EXPECT_EQ(Bar(2, 4, 1, utf8), block + block);
  EXPECT_EQ(Bar(100, 42, 1, utf8), "\xE2\x94\x8C");
  EXPECT_EQ(Bar(1, 200, 1, utf8).size(), 108 * block.size());
  EXPECT_EQ(Bar(0, 42, 0, utf8), "");

  const ReportCharset cp866 = ReportCharsetOf("CP866");
  EXPECT_EQ(cp866.measure, TextMeasure::kBytes);
  EXPECT_EQ(Bar(3, 42, 3, cp866), std::string(42, '\xDC'));
  EXPECT_EQ(cp866.axis, "\xB3");
  // KOI8-R has the box characters at other bytes; ISO-8859-1 has none of them.
  EXPECT_EQ(Bar(2, 4, 2, ReportCharsetOf("KOI8-R")), "\x8C\x8C\x8C\x8C");
  EXPECT_EQ(Bar(2, 4, 2, ReportCharsetOf("LATIN-1")), "????");
}

TEST(LeftAligned, FillsAndCutsByColumns) {
  const std::string ivan = "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD";
  const std::string nichihon = "\xE6\x97\xA5\xE6\x9C\xAC";
  struct Case {
    std::string text;
    std::size_t width;
    bool cut;
    std::string expected;
  } cases[] = {
      {ivan, 6, true, ivan + "  "},
      {ivan, 2, true, "\xD0\x98\xD0\xB2"},
      {ivan, 2, false, ivan},
      {nichihon, 3, true, "\xE6\x97\xA5 "},
      {nichihon, 6, true, nichihon + "  "},
      {"", 2, true, "  "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " " + std::to_string(c.width));
    const std::string aligned = LeftAligned(c.text, c.width, c.cut, TextMeasure::kUtf8);
    EXPECT_EQ(aligned, c.expected);
    if (c.cut) {
      EXPECT_EQ(TextWidth(aligned, TextMeasure::kUtf8), c.width);
    }
  }
  EXPECT_EQ(LeftAligned(ivan, 6, true), ivan.substr(0, 6));
  EXPECT_EQ(LeftAligned("ab", 4, true), "ab  ");
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
