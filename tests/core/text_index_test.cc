#include "core/text_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnik {
namespace {

TEST(TextIndex, FindsEveryTextAcrossGrowthAndForgetsOnClear) {
  std::vector<std::string> texts;
  TextIndex index;
  auto textAt = [&](std::size_t i) -> std::string_view { return texts[i]; };
  auto findOrAdd = [&](std::string_view text) {
    const std::size_t at = index.FindOrInsert(text, texts.size(), textAt);
    if (at == texts.size()) texts.emplace_back(text);
    return at;
  };
  // Enough texts to grow the table several times; prefixes of each other and case variants
  // must stay apart.
  for (int i = 0; i < 5000; ++i) {
    EXPECT_EQ(findOrAdd("name " + std::to_string(i)), static_cast<std::size_t>(i));
  }
  EXPECT_EQ(findOrAdd("NAME 1"), 5000u);
  EXPECT_EQ(findOrAdd("name"), 5001u);
  EXPECT_EQ(findOrAdd(""), 5002u);
  for (int i = 0; i < 5000; i += 7) {
    SCOPED_TRACE(i);
    EXPECT_EQ(findOrAdd("name " + std::to_string(i)), static_cast<std::size_t>(i));
  }
  EXPECT_EQ(findOrAdd(""), 5002u);
  EXPECT_EQ(index.size(), 5003u);

  index.clear();
  EXPECT_TRUE(index.empty());
  texts.clear();
  EXPECT_EQ(findOrAdd("name 3"), 0u);
  EXPECT_EQ(findOrAdd("name 3"), 0u);
}

}  // namespace
}  // namespace tarnik
