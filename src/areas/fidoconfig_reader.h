#pragma once

#include <string>
#include <string_view>

#include "common/file_opener.h"
#include "common/services.h"

namespace tarnik {

class AreaSink;

// fidoconfig area lines "EchoArea TAG path [options]" and the bad, net, dupe and local area
// lines; tags upper-cased. Options, in any letter case:
// - "-b Squish|Jam|Msg": the base kind (the last one counts; none: *.MSG; an unknown kind is
//   reported and read as *.MSG);
// - "-g NAME": the group letter, NAME itself when it is one character, kNoGroupLetter when
//   it is longer (no "~" pattern selects it); without "-g" the group is "A";
// - "passthrough" as the path, or "-pass": a pass-through area, never offered;
// - the values of "-a", "-d" (a quoted text may hold blanks), "-p", "-$m", "-lr", "-lw",
//   "-dupeCheck", "-dupeHistory", "-g", "-scan", "-tooOld", "-tooNew" are never read as
//   options. A "-b" followed by a word starting with "-" has no value (and reads as *.MSG).
// "EchoAreaDefaults options" gives every following EchoArea and LocalArea line its options
// until the next EchoAreaDefaults; an empty one or "OFF" switches them off. An option on the
// area line wins over a default, except that nothing undoes a pass-through default (Husky
// keeps such areas pass-through too).
class FidoconfigReader final {
 public:
  // The files are found through files (the disk unless given).
  explicit FidoconfigReader(Diagnostics& diagnostics, const FileOpener& files = DiskFiles())
      : diagnostics_(diagnostics), files_(files) {}

  // Reads path with its includes (FidoconfigLines), writing "Loading echo definitions from
  // fidoconfig... " and "done." or "fault. Error opening config." with CR LF; a file that
  // cannot be opened is also reported to diagnostics.
  void Read(const std::string& path, AreaSink& sink, Console& console,
            const Environment& environment);
  // One line as FidoconfigLines gives it; where is its place for diagnostics.
  void ReadLine(std::string_view line, AreaSink& sink, std::string_view where = {});

 private:
  struct Options {
    char kind = 'F';
    bool passThrough = false;
    std::string group;  // empty: none given
  };
  // Applies the options from word first of line on; inDefaults accepts a bare "passthrough".
  void ReadOptions(std::string_view line, int first, bool inDefaults, Options& options,
                   std::string_view where);

  Diagnostics& diagnostics_;
  const FileOpener& files_;
  Options defaults_;
};

// The fidoconfig file: fileName when given, else $FIDOCONFIG, else the first of
// /etc/fido/config and /usr/local/etc/fido/config that exists below root. Empty when none.
std::string FindFidoconfig(const std::string& fileName, const Environment& environment,
                           const std::string& root = "");

// Reads the fidoconfig file FindFidoconfig names. When there is none, writes "Fidoconfig
// environment is not defined!" (no line end) and reports it to diagnostics. The file named
// and its includes are read through files.
void ReadFidoconfig(const std::string& fileName, AreaSink& sink, Services services,
                    const std::string& root = "", const FileOpener& files = DiskFiles());

}  // namespace tarnik
