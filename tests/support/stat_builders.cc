#include "support/stat_builders.h"

#include <utility>

namespace tarnik::testing {

PersonStat Person(std::string name, int written, int received, int bytes, int lines, int quoted,
                  FtnAddress address) {
  PersonStat person;
  person.name = std::move(name);
  person.written = written;
  person.received = received;
  person.bytes = bytes;
  person.lines = lines;
  person.quoted = quoted;
  person.address = address;
  return person;
}

}  // namespace tarnik::testing
