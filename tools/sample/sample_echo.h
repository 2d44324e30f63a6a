#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ftn_address.h"
#include "sample_node.h"
#include "sample_pools.h"
#include "sample_random.h"

namespace tarnik::sample {

// A writer of the network: a unique name, a fixed address, editor and origin.
struct Person {
  std::string name;
  std::string firstName;
  FtnAddress address;
  bool cyrillic = false;
  std::size_t editor = 0;
  std::size_t origin = 0;
  int utcOffsetHours = 0;
};

// count people with unique names; about cyrillicShare of them have Cyrillic names.
std::vector<Person> MakePeople(int count, double cyrillicShare, SampleRandom& random,
                               const SamplePools& pools);

// Unique thread subjects, Latin and Cyrillic; popular ones are picked more often.
class SubjectPool {
 public:
  SubjectPool(int count, SampleRandom& random, const SamplePools& pools);
  const std::string& Pick(bool cyrillic, SampleRandom& random) const;

 private:
  std::vector<std::string> latin_;
  std::vector<std::string> cyrillic_;
};

// What every echo of one node shares.
struct NodeContext {
  const SamplePools& pools;
  const std::vector<Person>& people;
  const SubjectPool& subjects;
  std::int32_t referenceDay = 0;  // day number; messages are dated before it
  int spanDays = 90;              // how far back the messages go
  double participation = 0.7;     // share of the people that write in a given echo
  FtnAddress node;                // the node itself (SEEN-BY, PATH)
  // Some messages of Cyrillic writers written in UTF-8 or KOI8-R, with their CHRS kludge, as
  // from nodes whose editors use those; the rest in code page 866.
  bool mixedCharsets = false;
};

// Writes spec.messages messages into a new base at basePath through its writing side.
// False with a message in error when the base cannot be created or written.
bool WriteEcho(const EchoSpec& spec, const std::string& basePath, const NodeContext& context,
               SampleRandom random, std::string& error);

}  // namespace tarnik::sample
