#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnik::sample {

// What to generate. Everything written depends only on these values.
struct SampleOptions {
  std::uint64_t seed = 1;
  std::string size = "small";  // small, medium or large
  int messages = 0;            // messages per echo; 0: from size
  std::string outDir = "sample";
  int referenceYear = 2026;  // messages are dated in the months before this day
  int referenceMonth = 12;
  int referenceDay = 1;
  std::string templateFile;  // Default.Tpl to copy into templates/; empty: none
  int bench = 0;             // > 0: one echo per base format with exactly this many messages
  int writers = 0;           // size of the writer pool; 0: from size or bench
  int subjects = 0;          // size of the subject pool; 0: from size or bench
};

// One echo of the node as the tosser configurations describe it.
struct EchoSpec {
  std::string tag;
  char kind = 'S';   // 'S' Squish, 'J' JAM, 'M' *.MSG
  std::string path;  // relative to the node folder, without extension
  char group = 'A';  // tosser group letter (Squish configuration and FastEcho)
  std::string description;
  double cyrillicShare = 0.3;  // share of writers with Cyrillic names among the echo's writers
  int messages = 0;
};

// Writes the node into options.outDir, which must be missing or empty. False with a message
// in error when something cannot be written. totalMessages receives the count written.
bool WriteSampleNode(const SampleOptions& options, std::string& error, std::int64_t& totalMessages);

}  // namespace tarnik::sample
