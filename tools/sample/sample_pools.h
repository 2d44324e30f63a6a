#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnik::sample {

// Cyrillic letters of UTF-8 text to code page 866, the code page of the sample's messages and
// configuration; ASCII passes through, anything else becomes "?".
std::string Utf8ToCp866(std::string_view text);

// A message editor: its tearline and, for most, its PID kludge.
struct Editor {
  std::string tearline;
  std::string pid;  // empty: the editor writes no PID
};

// The word and text pools of the generated node, already in CP866.
struct SamplePools {
  SamplePools();

  std::vector<std::string> latinFirst;
  std::vector<std::string> latinLast;
  std::vector<std::string> cyrillicFirst;
  std::vector<std::string> cyrillicLast;
  std::vector<std::string> latinSentences;
  std::vector<std::string> cyrillicSentences;
  std::vector<std::string> latinTopics;
  std::vector<std::string> cyrillicTopics;
  // Subject patterns; "%1" and "%2" stand for two topics.
  std::vector<std::string> latinSubjectForms;
  std::vector<std::string> cyrillicSubjectForms;
  std::vector<std::string> origins;
  std::vector<Editor> editors;
  std::vector<std::string> latinGreetings;  // "%" stands for the recipient's first name
  std::vector<std::string> cyrillicGreetings;
  std::vector<std::string> latinSignoffs;  // "%" stands for the writer's first name
  std::vector<std::string> cyrillicSignoffs;
};

}  // namespace tarnik::sample
