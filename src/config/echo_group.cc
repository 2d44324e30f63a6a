#include "config/echo_group.h"

#include "common/text.h"
#include "config/pattern_matcher.h"

namespace tarnik {

void EchoGroup::AddEchoIfMatches(std::string_view tag, std::string_view areaSpec,
                                 char groupLetter) {
  PatternMatcher matcher;
  int count = WordCount(tagPatterns, kBlanks);
  for (int i = 1; i <= count; ++i) {
    std::string_view word = WordOf(tagPatterns, i, kBlanks);
    bool selected = word[0] == '~' ? word.size() >= 2 && word[1] == groupLetter
                                   : matcher.Match(word, tag, MatchMode::kCaseInsensitive);
    if (selected) {
      echoes.push_back(EchoEntry{CutShort(tag), CutShort(areaSpec)});
      return;
    }
  }
}

}  // namespace tarnik
