#include "report/macro_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clock.h"

namespace tarnik {
namespace {

const LocalTime kNow{2001, 3, 7, 9, 5, 3, 0};

// Runs every line through a fresh engine; gives the expansion of the last line.
std::string RunLines(const std::vector<std::string>& lines) {
  FixedClock clock(kNow);
  MacroEngine engine(clock);
  std::string result;
  for (const std::string& line : lines) result = engine.ProcessLine(line);
  return result;
}

// The same with the engine of a UTF-8 report.
std::string RunUtf8Lines(const std::vector<std::string>& lines) {
  FixedClock clock(kNow);
  MacroEngine engine(clock, TextMeasure::kUtf8);
  std::string result;
  for (const std::string& line : lines) result = engine.ProcessLine(line);
  return result;
}

struct Case {
  std::vector<std::string> lines;
  std::string expected;
};

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    std::string trace;
    for (const std::string& line : c.lines) trace += "«" + line + "» ";
    SCOPED_TRACE(trace);
    EXPECT_EQ(RunLines(c.lines), c.expected);
  }
}

TEST(MacroEngine, SubstitutesVariablesInTextLines) {
  RunCases({
      {{"@assign @username Ivan", "Name: @USERNAME!"}, "Name: Ivan!"},
      {{"@assign @w 10", "@assign @x [@w]", "@x"}, "[10]"},
      {{"@assign @x a @y", "@assign @y b", "@x"}, "a b"},
      {{"@nothing"}, ""},
      {{"x@nothing"}, "x"},
      {{"plain text"}, "plain text"},
      // A reference needs no delimiter and matches inside longer words.
      {{"@assign @num 7", "@numbers"}, "7bers"},
      // Names fold case by code page 866, Cyrillic included.
      {{"@ASSIGN @Foo bar", "@foo @FOO"}, "bar bar"},
      {{"@assign @\xA0\xE0 cyr", "@\x80\x90"}, "cyr"},
      {{"@assign word sub", "Words"}, "subs"},
      // Macro function names are never substituted.
      {{"use @rightpad here"}, "use @rightpad here"},
      // TAB does not end the function name, so this is a text line.
      {{"@assign\t@q z", "@q"}, "@q"},
      {{"@assign\t@q z"}, "@assign\t@q z"},
      {{"   @assign @q z", "@q"}, "z"},
      {{"@assign @a 1", "@destroy @a", "@a"}, "@a"},
      {{"@destroy @center", "@center @t 5"}, "@center @t 5"},
      {{"@curday.@curmonth.@curyear @curhour:@curmin:@cursec"}, "07.03.2001 09:05:03"},
  });
}

TEST(MacroEngine, FunctionLinesWriteNothing) {
  RunCases({
      {{"@assign @w", "[@w]"}, "[]"},
      {{"@rightpad @unknown 10"}, ""},
      {{"@rightpad @unknown 10", "@unknown"}, "@unknown"},
      {{"@center"}, ""},
      {{"@assign @a 1"}, ""},
  });
}

TEST(MacroEngine, FillingAndCentring) {
  RunCases({
      {{"@assign @t ab", "@centerch @t 7 *", "@t"}, "**ab***"},
      {{"@assign @t ab", "@center @t 6", "[@t]"}, "[  ab  ]"},
      {{"@assign @t abcdef", "@center @t 4", "@t"}, "abcd"},
      {{"@assign @t abcdef", "@rightpad @t 3", "@t"}, "abc"},
      {{"@assign @t ab", "@rightpad @t 4", "[@t]"}, "[ab  ]"},
      {{"@assign @t ab", "@leftpad @t 5", "[@t]"}, "[   ab]"},
      {{"@assign @t ab", "@leftpadch @t 5 -", "@t"}, "---ab"},
      {{"@assign @t ab", "@rightpadch @t 4 =x", "@t"}, "ab=="},
      {{"@assign @t ab", "@assign @c #", "@rightpadch @t 4 @c", "@t"}, "ab##"},
      {{"@assign @t ab", "@rightpadch @t 3", "@t"}, std::string("ab\0", 3)},
      {{"@assign @t ab", "@assign @n 4", "@leftpad @t @n", "[@t]"}, "[  ab]"},
      {{"@assign @t ab", "@leftpad @t x", "[@t]"}, "[]"},
      // Widths are taken modulo 256.
      {{"@assign @t ab", "@rightpad @t 256", "[@t]"}, "[]"},
      {{"@assign @t ab", "@rightpad @t 257", "[@t]"}, "[a]"},
      {{"@assign @t ab", "@leftpadch @t -1 .", "@t"}, std::string(253, '.') + "ab"},
      // Filling stores the expanded text; later changes of @a no longer show.
      {{"@assign @a 1", "@assign @t [@a]", "@rightpad @t 4", "@assign @a 2", "@t"}, "[1] "},
  });
}

TEST(MacroEngine, CopyAddAndLength) {
  RunCases({
      {{"@assign @t abcdef", "@copy @t 2 3", "@t"}, "bcd"},
      {{"@assign @t abcdef", "@copy @t 5 10", "@t"}, "ef"},
      {{"@assign @t abcdef", "@copy @t 9 2", "[@t]"}, "[]"},
      {{"@assign @t abcdef", "@copy @t 0 2", "@t"}, "ab"},
      {{"@assign @t abcdef", "@copy @t 2 -1", "[@t]"}, "[]"},
      {{"@assign @t ab", "@addf @t  cd", "@t"}, "ab cd"},
      {{"@assign @t ab", "@addb @t x-", "@t"}, "x-ab"},
      // @assign, @addf and @addb store text unexpanded.
      {{"@assign @a 1", "@assign @t [@a]", "@addf @t !", "@assign @a 2", "@t"}, "[2]!"},
      {{"@assign @t  spaced  ", "[@t]"}, "[spaced]"},
      {{"@assign @z hello", "@length @z @z world", "@z"}, "11"},
      {{"@assign @z x", "@length @z", "@z"}, "0"},
  });
}

TEST(MacroEngine, NumbersAndSizes) {
  RunCases({
      {{"@assign @v 0", "@scale @v 7 2 3", "@v"}, "11"},
      {{"@assign @v x", "@scale @v 5 0 2", "@v"}, "10"},
      {{"@assign @v 0", "@scale @v -5 2 1", "@v"}, "-3"},
      {{"@assign @v 0", "@scale @v 5 2 1", "@v"}, "3"},
      {{"@assign @v 0", "@scale @v 1 3 100", "@v"}, "33"},
      {{"@assign @v 0", "@scale @v 2147483647 1 2", "@v"}, "4294967294"},
      {{"@assign @n 1234567", "@numformat @n", "@n"}, "1,234,567"},
      {{"@assign @n -1234", "@numformat @n", "@n"}, "-1,234"},
      {{"@assign @n 123", "@numformat @n", "@n"}, "123"},
      {{"@assign @n 100000", "@numformat @n", "@n"}, "100,000"},
      {{"@assign @n junk", "@numformat @n", "@n"}, "0"},
      {{"@assign @m 4321", "@assign @n @m", "@numformat @n", "@n"}, "4,321"},
      {{"@assign @s 5000000", "@convsize @s 6", "@s"}, "4,882K"},
      {{"@assign @s 5000000", "@convsize @s 10", "@s"}, "5,000,000b"},
      {{"@assign @s 5000000", "@convsize @s 3", "@s"}, "4M"},
      {{"@assign @s 2000000000", "@convsize @s 1", "@s"}, "1G"},
      {{"@assign @s 5000000", "@convsize @s -1", "@s"}, "0G"},
      {{"@assign @s 1023", "@convsize @s 5", "@s"}, "0K"},
  });
}

TEST(MacroEngine, SelfReferenceStopsAfterTheBound) {
  // Each pass nests one level deeper, so the result shows exactly how many passes ran.
  EXPECT_EQ(RunLines({"@assign @x [@x]", "@x"}), std::string(kMaxSubstitutionPasses, '[') + "@x" +
                                                     std::string(kMaxSubstitutionPasses, ']'));
  std::string doubled = RunLines({"@assign @a @a@a", "@a"});
  EXPECT_EQ(doubled.size(), 255u);
  EXPECT_EQ(doubled.substr(0, 6), "@a@a@a");
  // A target holding a function line on itself: bounded, the innermost expansion is empty.
  EXPECT_EQ(RunLines({"@assign @a @rightpad @a 5", "@rightpad @a 3", "[@a]"}), "[   ]");
}

TEST(MacroEngine, LinesAreCutAt255) {
  std::string x255(255, 'x');
  RunCases({
      {{x255}, x255},
      {{x255 + "y"}, x255},
      {{"@assign @a " + std::string(200, 'x'), "@a@a"}, x255},
      {{"@assign @a " + std::string(200, 'x'), "@assign @b @a@a", "@rightpad @b 255", "@b"}, x255},
  });
}

TEST(MacroEngine, Utf8WidthsCountColumns) {
  const std::string ivan = "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD";  // four letters
  const std::string va = "\xD0\xB2\xD0\xB0";
  const std::string nichi = "\xE6\x97\xA5";  // wide: two columns each
  const std::string hon = "\xE6\x9C\xAC";
  const std::string go = "\xE8\xAA\x9E";
  const std::string line = "\xE2\x94\x80";
  const Case cases[] = {
      {{"@assign @t " + ivan, "@rightpad @t 6", "[@t]"}, "[" + ivan + "  ]"},
      {{"@assign @t " + ivan, "@leftpad @t 6", "[@t]"}, "[  " + ivan + "]"},
      {{"@assign @t " + ivan, "@center @t 7", "[@t]"}, "[ " + ivan + "  ]"},
      {{"@assign @t " + ivan, "@rightpad @t 2", "[@t]"}, "[\xD0\x98\xD0\xB2]"},
      {{"@assign @t " + nichi + hon, "@rightpad @t 3", "[@t]"}, "[" + nichi + " ]"},
      {{"@assign @t " + nichi + hon, "@leftpad @t 5", "[@t]"}, "[ " + nichi + hon + "]"},
      {{"@assign @t " + nichi + hon, "@centerch @t 8 " + line, "@t"},
       line + line + nichi + hon + line + line},
      {{"@assign @t ab", "@rightpadch @t 6 " + nichi, "@t"}, "ab" + nichi + nichi},
      // A wide fill character that does not fit the last column leaves a space.
      {{"@assign @t abc", "@rightpadch @t 6 " + nichi, "[@t]"}, "[abc" + nichi + " ]"},
      {{"@assign @t " + ivan, "@copy @t 2 2", "@t"}, va},
      {{"@assign @t " + nichi + hon + go, "@copy @t 3 2", "@t"}, hon},
      // Column 2 lies inside the first character, which is left out.
      {{"@assign @t " + nichi + hon + go, "@copy @t 2 3", "@t"}, hon},
      {{"@assign @z x", "@length @z " + ivan + " " + nichi + hon, "@z"}, "9"},
  };
  for (const Case& c : cases) {
    std::string trace;
    for (const std::string& l : c.lines) trace += "«" + l + "» ";
    SCOPED_TRACE(trace);
    const std::string result = RunUtf8Lines(c.lines);
    EXPECT_EQ(result, c.expected);
  }
  // Byte measure, as ever: a Cyrillic letter is two columns.
  EXPECT_EQ(RunLines({"@assign @t " + ivan, "@rightpad @t 3", "@t"}), ivan.substr(0, 3));
}

TEST(MacroEngine, Utf8LinesAreCutAtACharacterBoundary) {
  std::string zhe;
  for (int i = 0; i < 100; ++i) zhe += "\xD0\x96";
  struct Utf8Case {
    std::vector<std::string> lines;
    std::size_t size;
  } cases[] = {
      {{std::string(254, 'x') + "\xD0\x96"}, 254},
      {{"@assign @a " + zhe, "@a@a"}, 254},
      // 127 letters and 73 blanks, cut after the first blank.
      {{"@assign @a " + zhe, "@assign @b @a@a", "@rightpad @b 200", "@b"}, 255},
      {{"@assign @a " + std::string(253, 'x') + "\xE6\x97\xA5", "@a"}, 253},
  };
  for (const Utf8Case& c : cases) {
    SCOPED_TRACE(c.lines.back());
    const std::string result = RunUtf8Lines(c.lines);
    EXPECT_EQ(result.size(), c.size);
    EXPECT_TRUE(IsValidUtf8(result));
  }
}

// Data from messages and the configuration goes in literally: a variable name inside it is
// text. Each case sets @username to data, then runs its lines.
TEST(MacroEngine, DataIsInsertedLiterally) {
  struct DataCase {
    std::string data;
    std::vector<std::string> lines;
    std::string expected;
  };
  const DataCase cases[] = {
      {"@curyear", {"From @username"}, "From @curyear"},
      {"@totalusers persons here",
       {"@assign @totalusers 3", "[@username]"},
       "[@totalusers persons here]"},
      {"Loop @username!", {"@username"}, "Loop @username!"},
      // A name made of data and the template text after it is no name either.
      {"@cur", {"@usernameyear"}, "@curyear"},
      {"x@cur", {"@assign @t year", "@username@t"}, "x@curyear"},
      // Values the template assigns still expand, also when they bring data along.
      {"@curyear", {"@assign @t_who @username", "<@t_who>"}, "<@curyear>"},
      {"@curyear", {"@assign @t_who by @username in @curyear", "@t_who"}, "by @curyear in 2001"},
      {"@curyear", {"@assign @t_who @username", "@rightpad @t_who 10", "[@t_who]"}, "[@curyear  ]"},
      {"@cur", {"@assign @t_who @username", "@rightpad @t_who 4", "@t_whoyear"}, "@curyear"},
      {"@curyear", {"@assign @t @username", "@center @t 12", "@copy @t 3 8", "[@t]"}, "[@curyear]"},
      {"@curyear",
       {"@rightpad @username 10", "@leftpad @username 12", "[@username]"},
       "[  @curyear  ]"},
      {"@curyear",
       {"@assign @t @username", "@addf @t  @curday", "@addb @t @curmonth ", "@t"},
       "03 @curyear 07"},
      // Data that reads like a function line is text, also after a function stored it.
      {"@assign @curyear 1999", {"@rightpad @username 30", "@curyear"}, "2001"},
      {"@assign @curyear 1999",
       {"@assign @t @username", "@center @t 30", "@copy @t 5 21", "[@t] @curyear"},
       "[@assign @curyear 1999] 2001"},
      // Numbers measured from data are plain numbers.
      {"@curyear", {"@assign @n", "@length @n @username", "@n"}, "8"},
  };
  for (const DataCase& c : cases) {
    std::string trace = c.data + ": ";
    for (const std::string& line : c.lines) trace += "«" + line + "» ";
    SCOPED_TRACE(trace);
    FixedClock clock(kNow);
    MacroEngine engine(clock);
    engine.SetVariable("@username", "");
    engine.SetLiteralValue(engine.Find("@username"), c.data);
    std::string result;
    for (const std::string& line : c.lines) result = engine.ProcessLine(line);
    EXPECT_EQ(result, c.expected);
  }
}

TEST(MacroEngine, MarksFollowTheLiteralBytes) {
  FixedClock clock(kNow);
  MacroEngine engine(clock);
  engine.SetLiteralVariable("@who", "<b>");
  engine.ProcessLine("@assign @t <i>@who");
  engine.ProcessLine("@rightpad @t 9");
  MacroText line = engine.ProcessMarked(MacroText{"=@t=", std::vector<bool>(4, false)});
  std::string marks;
  for (bool literal : line.literal) marks += literal ? 'L' : '.';
  EXPECT_EQ(line.text, "=<i><b>   =");
  EXPECT_EQ(marks, "....LLL....");
  // A literal value is cut at 255 bytes with its marks.
  engine.SetLiteralValue(engine.Find("@who"), std::string(300, 'x'));
  EXPECT_EQ(engine.Find("@who")->value.size(), 255u);
  EXPECT_EQ(engine.Find("@who")->literal.size(), 255u);
}

// In UTF-8 reports the marks follow whole characters: padding counts columns, @copy takes
// characters, and the 255-byte cut never splits a literal letter.
TEST(MacroEngine, MarksFollowLiteralUtf8Characters) {
  const std::string ivan = "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD";
  FixedClock clock(kNow);
  MacroEngine engine(clock, TextMeasure::kUtf8);
  engine.SetLiteralVariable("@who", ivan + "@curyear");
  engine.ProcessLine("@assign @t @who");
  engine.ProcessLine("@leftpad @t 14");
  MacroText line = engine.ProcessMarked(MacroText{"@t", std::vector<bool>(2, false)});
  std::string marks;
  for (bool literal : line.literal) marks += literal ? 'L' : '.';
  EXPECT_EQ(line.text, "  " + ivan + "@curyear");
  EXPECT_EQ(marks, ".." + std::string(16, 'L'));
  engine.ProcessLine("@copy @t 4 2");
  line = engine.ProcessMarked(MacroText{"@t", std::vector<bool>(2, false)});
  EXPECT_EQ(line.text, "\xD0\xB2\xD0\xB0");
  EXPECT_EQ(line.literal, std::vector<bool>(4, true));
  std::string zhe;
  for (int i = 0; i < 200; ++i) zhe += "\xD0\x96";
  engine.SetLiteralValue(engine.Find("@who"), "x" + zhe);
  EXPECT_EQ(engine.Find("@who")->value.size(), 255u);
  EXPECT_EQ(engine.Find("@who")->literal.size(), 255u);
  engine.SetLiteralValue(engine.Find("@who"), zhe);
  EXPECT_EQ(engine.Find("@who")->value.size(), 254u);
  EXPECT_EQ(engine.Find("@who")->literal.size(), 254u);
}

TEST(MacroEngine, TableOrderAndLookup) {
  FixedClock clock(kNow);
  MacroEngine engine(clock);
  std::string names;
  for (std::size_t i = 0; i < engine.Count(); ++i) names += engine.At(i).name + " ";
  EXPECT_EQ(names,
            "@NOTHING @RIGHTPAD @RIGHTPADCH @LEFTPAD @LEFTPADCH @ASSIGN @DESTROY @ADDB @ADDF "
            "@COPY @CENTERCH @CENTER @SCALE @NUMFORMAT @CONVSIZE @LENGTH @CURHOUR @CURMIN "
            "@CURSEC @CURDAY @CURMONTH @CURYEAR ");

  engine.ProcessLine("@assign @a 1");
  engine.ProcessLine("@assign @b 2");
  engine.ProcessLine("@assign @a 3");  // replaced: moves to the end
  EXPECT_EQ(engine.At(engine.Count() - 1).name, "@A");
  EXPECT_EQ(engine.At(engine.Count() - 2).name, "@B");

  EXPECT_EQ(engine.Find("  @center "), engine.FindKind("@CENTER", kMacroFunction));
  EXPECT_EQ(engine.FindKind("@center", kMacroVariable), nullptr);
  engine.SetValue(nullptr, "ignored");
  engine.SetValue(engine.Find("@b"), std::string(300, 'z'));
  EXPECT_EQ(engine.Find("@b")->value.size(), 255u);

  // @assign over a function's name replaces the function.
  engine.ProcessLine("@assign @center mid");
  EXPECT_EQ(engine.ProcessLine("@center"), "mid");
}

}  // namespace
}  // namespace tarnik
