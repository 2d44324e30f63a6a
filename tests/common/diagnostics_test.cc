#include "common/diagnostics.h"

#include <gtest/gtest.h>

#include "common/console.h"

namespace tarnik {
namespace {

TEST(Diagnostics, OneLineEachAndOnlyErrorsCount) {
  StringConsole errors;
  Diagnostics diagnostics(errors);
  diagnostics.Error(FileLine("Tarnik.Cfg", 12), "unknown keyword \"Bogus\"");
  diagnostics.Warning("Tarnik.Cfg:3", "selects nothing");
  diagnostics.Error("", "unknown option '-x'");
  EXPECT_EQ(errors.text(),
            "tarnik: Tarnik.Cfg:12: unknown keyword \"Bogus\"\n"
            "tarnik: Tarnik.Cfg:3: warning: selects nothing\n"
            "tarnik: unknown option '-x'\n");
  EXPECT_EQ(diagnostics.errorCount(), 2);
}

}  // namespace
}  // namespace tarnik
