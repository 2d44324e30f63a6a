#include "core/language_table.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tarnik {
namespace {

TEST(LanguageTable, FirstEntryWinsAndEmptyIsMissing) {
  LanguageTable table;
  ASSERT_TRUE(table.Load(EncodeLanguageFile(
      {{30001, "first"}, {30001, "second"}, {30002, ""}, {30003, std::string("\x01%s\xB3", 4)}})));
  EXPECT_EQ(table.LanguageText(30001), "first");
  EXPECT_EQ(table.LanguageText(30002), "");
  EXPECT_EQ(table.LanguageText(30003), std::string("\x01%s\xB3", 4));
  EXPECT_EQ(table.LanguageText(30004), "");
}

TEST(LanguageTable, SignatureAndTruncation) {
  std::string good = EncodeLanguageFile({{1, "one"}, {2, "two"}});
  LanguageTable empty;
  EXPECT_TRUE(empty.Load(EncodeLanguageFile({})));
  EXPECT_EQ(empty.size(), 0u);

  std::string badSignature = good;
  badSignature[0] = 0x34;
  LanguageTable rejected;
  EXPECT_FALSE(rejected.Load(badSignature));
  EXPECT_FALSE(rejected.Load(good.substr(0, 3)));

  // Records cut short: the complete ones stay, the rest is not read.
  LanguageTable cut;
  EXPECT_TRUE(cut.Load(good.substr(0, good.size() - 1)));
  EXPECT_EQ(cut.LanguageText(1), "one");
  EXPECT_EQ(cut.LanguageText(2), "");
  // A count far beyond the data does not make the loader read past the end.
  std::string huge = good;
  huge[4] = '\xFF';
  huge[5] = '\xFF';
  huge[6] = '\xFF';
  huge[7] = '\x7F';
  LanguageTable hostile;
  EXPECT_TRUE(hostile.Load(huge));
  EXPECT_EQ(hostile.size(), 2u);
}

TEST(LoadLanguageFile, SaysWhyAFileWasRefused) {
  testing::TempDir dir;
  LanguageTable table;
  std::string reason;
  EXPECT_FALSE(LoadLanguageFile(dir.File("Tarnik.Lng"), table, &reason));
  EXPECT_EQ(reason, "No such file or directory");
  dir.Write("Tarnik.Lng", "JUNK");
  EXPECT_FALSE(LoadLanguageFile(dir.File("Tarnik.Lng"), table, &reason));
  EXPECT_EQ(reason, "not a compiled language file (no signature)");
  dir.Write("Tarnik.Lng", EncodeLanguageFile({{1, "one"}}));
  EXPECT_TRUE(LoadLanguageFile(dir.File("Tarnik.Lng"), table, &reason));
  EXPECT_EQ(table.LanguageText(1), "one");
}

}  // namespace
}  // namespace tarnik
