#include "areas/fidoconfig_lines.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/console.h"
#include "common/diagnostics.h"
#include "common/environment.h"
#include "common/file_opener.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

// A tree of configuration files written into a fresh directory (the current one while the
// case runs); "@" in names, contents and expectations stands for its absolute path.
struct TreeCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;  // the first is the main file
  std::string expectedLines;        // "place|line\n" per line given to the area reader
  std::string expectedDiagnostics;  // standard error
  std::map<std::string, std::string> environment = {};
};

std::string WithDir(std::string text, const std::string& dir) {
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at)) {
    text.replace(at, 1, dir);
    at += dir.size();
  }
  return text;
}

void ExpectTrees(std::initializer_list<TreeCase> cases) {
  for (const TreeCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    for (const auto& [name, contents] : c.files) {
      dir.Write(WithDir(name, dir.path()), WithDir(contents, dir.path()));
    }
    MapEnvironment environment(c.environment);
    StringConsole errors;
    Diagnostics diagnostics(errors);
    FidoconfigLines lines(environment, diagnostics);
    ASSERT_TRUE(lines.Open(WithDir(c.files[0].first, dir.path())));
    std::string rendered;
    std::string line;
    while (lines.Next(line)) rendered += lines.place() + "|" + line + "\n";
    EXPECT_EQ(rendered, WithDir(c.expectedLines, dir.path()));
    EXPECT_EQ(errors.text(), WithDir(c.expectedDiagnostics, dir.path()));
  }
}

TEST(FidoconfigLines, Includes) {
  ExpectTrees({
      {"nested, relative to the current directory and absolute",
       {{"config", "A 1\ninclude sub/areas\nA 2\n"},
        {"sub/areas", "B 1\n  Include @sub/more\nB 2\n"},
        {"sub/more", "C 1\n"}},
       "config:1|A 1\nsub/areas:1|B 1\n@sub/more:1|C 1\nsub/areas:3|B 2\nconfig:3|A 2\n",
       ""},
      {"a name with backslashes and a variable",
       {{"config", "set dir=sub\ninclude [dir]\\areas\n"}, {"sub/areas", "B 1\n"}},
       "sub/areas:1|B 1\n",
       ""},
      {"the same file twice in a row is read twice",
       {{"config", "include areas\ninclude areas\n"}, {"areas", "B\n"}},
       "areas:1|B\nareas:1|B\n",
       ""},
      {"a file that includes itself",
       {{"config", "A\ninclude config\nA 2\n"}},
       "config:1|A\nconfig:3|A 2\n",
       "tarnik: config:2: include loop: \"config\" is already being read; it is not read "
       "again\n"},
      {"a loop through another file, under another name",
       {{"config", "include one\n"}, {"one", "1\ninclude ./sub/../config\n2\n"}, {"sub/keep", ""}},
       "one:1|1\none:3|2\n",
       "tarnik: one:2: include loop: \"./sub/../config\" is already being read; it is not read "
       "again\n"},
      {"a missing file is reported and reading goes on",
       {{"config", "A\ninclude missing/areas\nA 2\n"}},
       "config:1|A\nconfig:3|A 2\n",
       "tarnik: config:2: cannot open the included file \"missing/areas\": No such file or "
       "directory\n"},
      {"only plain files are included",
       {{"config", "include sub\ninclude /dev/zero\nA\n"}, {"sub/x", ""}},
       "config:3|A\n",
       "tarnik: config:1: cannot open the included file \"sub\": Is a directory\n"
       "tarnik: config:2: cannot read the included file \"/dev/zero\": not a plain file\n"},
      {"include without a name",
       {{"config", "include\nA\n"}},
       "config:2|A\n",
       "tarnik: config:1: \"include\" without a file name\n"},
      {"a file ending without a line end and an empty included file",
       {{"config", "include empty\nA"}, {"empty", ""}},
       "config:2|A\n",
       ""},
  });
}

// The files come from where the opener finds them, includes too: a fuzzer or a test holds them
// in memory, and an include loop is found there as on the disk.
TEST(FidoconfigLines, FilesComeThroughTheOpener) {
  MemoryFileOpener files;
  files.Add("fido/config", "A 1\ninclude fido/AREAS\ninclude fido/missing\nA 2\n");
  files.Add("fido/areas", "B 1\ninclude fido/Config\nB 2\n");
  MapEnvironment environment;
  StringConsole errors;
  Diagnostics diagnostics(errors);
  FidoconfigLines lines(environment, diagnostics, files);
  ASSERT_TRUE(lines.Open("fido/config"));
  std::string rendered;
  std::string line;
  while (lines.Next(line)) rendered += lines.place() + "|" + line + "\n";
  EXPECT_EQ(rendered, "fido/config:1|A 1\nfido/AREAS:1|B 1\nfido/AREAS:3|B 2\nfido/config:4|A 2\n");
  EXPECT_EQ(errors.text(),
            "tarnik: fido/AREAS:2: include loop: \"fido/Config\" is already being read; it is not "
            "read again\n"
            "tarnik: fido/config:3: cannot open the included file \"fido/missing\": No such file "
            "or directory\n");

  FidoconfigLines onDisk(environment, diagnostics);
  EXPECT_FALSE(onDisk.Open("fido/config"));
}

TEST(FidoconfigLines, IncludesNestedTooDeepStop) {
  std::vector<std::pair<std::string, std::string>> files = {{"config", "include f1\n"}};
  for (int i = 1; i <= 40; ++i) {
    files.emplace_back("f" + std::to_string(i),
                       "in " + std::to_string(i) + "\ninclude f" + std::to_string(i + 1) + "\n");
  }
  testing::TempDir dir;
  for (const auto& [name, contents] : files) dir.Write(name, contents);
  MapEnvironment environment;
  StringConsole errors;
  Diagnostics diagnostics(errors);
  FidoconfigLines lines(environment, diagnostics);
  ASSERT_TRUE(lines.Open("config"));
  std::string line;
  int count = 0;
  while (lines.Next(line)) ++count;
  // The main file and 31 includes are open when f31 asks for f32.
  EXPECT_EQ(count, 31);
  EXPECT_EQ(errors.text(),
            "tarnik: f31:2: includes nested more than 32 files deep; \"f32\" is not read\n");
}

TEST(FidoconfigLines, CommentsAndContinuation) {
  ExpectTrees({
      {"comments at the start of a line and between blanks",
       {{"config",
         "# comment\n   # indented comment\nA b # comment\nA b#c d\nA b\t#\tx\nA #\n#A\n"}},
       "config:3|A b\nconfig:4|A b#c d\nconfig:5|A b\nconfig:6|A #\n",
       ""},
      {"the frame's comment lines and empty lines",
       {{"config", ";A\n%A\n/A\n\n  \n \t;A\n"}},
       "config:6|;A\n",
       ""},
      {"commentChar applies from its line on, also in included files",
       {{"config", "A # x\ncommentChar ;\nA # x\nA ; x\n; x\ninclude areas\n"},
        {"areas", "B ; y\n   ;y\n"}},
       "config:1|A\nconfig:3|A # x\nconfig:4|A\nareas:1|B\n",
       ""},
      {"commentChar accepts only ! # $ % ;",
       {{"config", "commentChar x\nA x y\ncommentChar\ncommentChar !\nA ! y\n"}},
       "config:2|A x y\nconfig:5|A\n",
       "tarnik: config:1: \"commentChar\" needs one of ! # $ % ; (the comment character stays "
       "\"#\")\n"
       "tarnik: config:3: \"commentChar\" needs one of ! # $ % ; (the comment character stays "
       "\"#\")\n"},
      {"a blank and a backslash continue the line",
       {{"config", "A one \\\n two \\\n\tthree\nB x\\\nC y \\"}},
       "config:1|A one  two \tthree\nconfig:4|B x\\\nconfig:5|C y \\\n",
       ""},
      {"a continued comment swallows its continuation",
       {{"config", "# one \\\nA two\nA three\n"}},
       "config:3|A three\n",
       ""},
  });
}

TEST(FidoconfigLines, Variables) {
  ExpectTrees({
      {"set, [NAME] in any case, the environment, nothing",
       {{"config",
         "set base=/fido/msg\nA [BASE]/one [Base]\nA [HOME]/x\nA [nothing]x\n"
         "set Base = \"/q u\" \nA [base]\nset empty\nA [empty]|\n"}},
       "config:2|A /fido/msg/one /fido/msg\nconfig:3|A /home/sysop/x\nconfig:4|A x\n"
       "config:6|A /q u\nconfig:8|A |\n",
       "",
       {{"HOME", "/home/sysop"}}},
      {"a variable hides the environment variable of its name",
       {{"config", "A [HOME]\nset HOME=/other\nA [HOME]\n"}},
       "config:1|A /env\nconfig:3|A /other\n",
       "",
       {{"HOME", "/env"}}},
      {"OS, module and the escapes",
       {{"config", "A [OS] [module] [[]x] [#] [`]\n"}},
       "config:1|A UNIX tarnik [x] # `\n",
       ""},
      {"a value is not expanded again; a bracket without a close stays",
       {{"config", "set b=B\nset a=[[]b]\nA [a] x[ y\n"}},
       "config:3|A [b] x[ y\n",
       ""},
      {"a comment character from a variable starts no comment",
       {{"config", "set c=[#]\nA x [c] y\n"}},
       "config:2|A x # y\n",
       ""},
      {"set without a name",
       {{"config", "set =x\nset\nA\n"}},
       "config:3|A\n",
       "tarnik: config:1: \"set\" without a variable name\n"
       "tarnik: config:2: \"set\" without a variable name\n"},
      {"a command is left as written and reported once per line",
       {{"config", "A `uname -n` and `date`\nset v=`id`\nA [v] `x\n"}},
       "config:1|A `uname -n` and `date`\nconfig:3|A `id` `x\n",
       "tarnik: config:1: warning: `command` is not run; the line is read with the text as "
       "written\n"
       "tarnik: config:2: warning: `command` is not run; the line is read with the text as "
       "written\n"},
  });
}

TEST(FidoconfigLines, Conditionals) {
  ExpectTrees({
      {"if == and != in any letter case, with blanks around the operator",
       {{"config",
         "if [OS]==unix\nA 1\nendif\nif [module] == HPT\nA 2\nendif\nif [OS]!=UNIX\nA 3\n"
         "endif\nIF x != y\nA 4\nENDIF\n"}},
       "config:2|A 1\nconfig:11|A 4\n",
       ""},
      {"masks with * and ?",
       {{"config",
         "if [module]=~tar*\nA 1\nendif\nif [module]=~T?RNIK\nA 2\nendif\nif [module]=~t?r\n"
         "A 3\nendif\nif [module]!~h*\nA 4\nendif\nif abc=~*\nA 5\nendif\n"}},
       "config:2|A 1\nconfig:5|A 2\nconfig:11|A 4\nconfig:14|A 5\n",
       ""},
      {"if not", {{"config", "if not [OS]==UNIX\nA 1\nendif\nif not a!=b\nA 2\nendif\n"}}, "", ""},
      {"an operator in double quotes is text",
       {{"config", "if \"a==b\"==\"a==b\"\nA 1\nendif\n"}},
       "config:2|A 1\n",
       ""},
      {"ifdef and ifndef see set variables (also empty ones) and the environment",
       {{"config",
         "ifdef FIDO\nA 1\nendif\nifdef MISSING\nA 2\nendif\nifndef MISSING\nA 3\nendif\n"
         "set flag\nifdef FLAG\nA 4\nendif\nifndef FIDO\nA 5\nendif\n"}},
       "config:2|A 1\nconfig:8|A 3\nconfig:12|A 4\n",
       "",
       {{"FIDO", "1"}}},
      {"else and elseif: the first true branch only",
       {{"config",
         "if a==b\nA 1\nelseif a==a\nA 2\nelif b==b\nA 3\nelse\nA 4\nendif\n"
         "if a==b\nA 5\nelse\nA 6\nendif\nifdef NONE\nA 7\nelseif x==y\nA 8\nelse\nA 9\n"
         "endif\n"}},
       "config:4|A 2\nconfig:13|A 6\nconfig:20|A 9\n",
       ""},
      {"nested: a false outer branch hides every inner one",
       {{"config",
         "if a==a\nif b==c\nA 1\nelse\nA 2\nendif\nA 3\nelse\nif x==x\nA 4\nelse\nA 5\n"
         "endif\nA 6\nendif\nA 7\n"}},
       "config:5|A 2\nconfig:7|A 3\nconfig:16|A 7\n",
       ""},
      {"lines of a false branch are dropped, includes, set and commentChar too",
       {{"config", "if a==b\ninclude areas\nset v=1\ncommentChar ;\nA 1\nendif\nA [v] # x\n"},
        {"areas", "B\n"}},
       "config:7|A\n",
       ""},
      {"a conditional opened in an included file goes on in the including one",
       {{"config", "include head\nA 1\nendif\nA 2\n"}, {"head", "if a==b\n"}},
       "config:4|A 2\n",
       ""},
      {"unbalanced endif, else and elseif; an if left open",
       {{"config",
         "endif\nelse\nelseif a==a\nA 1\nif a==a\nelse\nelse\nA 2\nendif\nif x==x\n"
         "ifdef X\nA 3\n"}},
       "config:4|A 1\n",
       "tarnik: config:1: \"endif\" without \"if\"\n"
       "tarnik: config:2: \"else\" without \"if\"\n"
       "tarnik: config:3: \"elseif\" without \"if\"\n"
       "tarnik: config:7: \"else\" without \"if\"\n"
       "tarnik: config:10: \"if\" without \"endif\"\n"
       "tarnik: config:11: \"if\" without \"endif\"\n"},
      {"conditions that cannot be read count as false",
       {{"config",
         "if [OS]\nA 1\nelse\nA 2\nendif\nifdef\nA 3\nendif\nif a==b\nelseif xyz\nA 4\n"
         "endif\nif a==b\nA 5\nendif\n"}},
       "config:4|A 2\n",
       "tarnik: config:1: cannot read the condition \"UNIX\"; it counts as false\n"
       "tarnik: config:6: \"ifdef\" without a name; it counts as false\n"
       "tarnik: config:10: cannot read the condition \"xyz\"; it counts as false\n"},
      {"a false branch evaluates nothing, so reports nothing",
       {{"config", "if a==b\nif broken\nendif\nA `x`\nendif\n"}},
       "",
       ""},
  });
}

}  // namespace
}  // namespace tarnik
