// The HTML pages as a real browser sees them: headless Chromium parses the page and prints the
// DOM it built, and takes a screenshot of it for a person to look at (kept in the build tree).
// Skipped where no Chromium is installed; CI installs one.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/base_builder.h"
#include "support/run_binary.h"
#include "support/temp_dir.h"

namespace tarnik {
namespace {

using testing::RunCommand;
using testing::RunResult;
using testing::ShellQuote;

#ifdef TARNIK_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// The browser to run, or empty with the reason there is none: not in the sanitizer builds (the
// browser does not change with them, and one run is enough), not without Chromium.
std::string UsableChromium(std::string& reason) {
  if (kSanitized) {
    reason = "the browser runs in the normal build";
    return {};
  }
  RunResult found =
      RunCommand("command -v chromium || command -v chromium-browser || command -v google-chrome");
  if (found.exitCode != 0) {
    reason = "chromium is not installed";
    return {};
  }
  return found.output.substr(0, found.output.find('\n'));
}

// One headless run over a local file; the profile lives in the test's folder. --no-sandbox
// because CI runs as root, where Chromium's sandbox refuses to start.
RunResult Browse(const std::string& chromium, const std::string& action, const std::string& page) {
  testing::TempDir profile;
  return RunCommand("timeout 120 " + ShellQuote(chromium) +
                    " --headless --no-sandbox --disable-gpu --disable-dev-shm-usage "
                    "--no-first-run --hide-scrollbars --user-data-dir=" +
                    ShellQuote(profile.path()) + " " + action + " " + ShellQuote("file://" + page) +
                    " 2>/dev/null");
}

// Saves a screenshot under the build tree; true when a PNG was written.
bool Screenshot(const std::string& chromium, const std::string& page, const std::string& name) {
  std::error_code error;
  std::filesystem::create_directories(TARNIK_SCREENSHOT_DIR, error);
  const std::string png = std::string(TARNIK_SCREENSHOT_DIR) + "/" + name;
  std::filesystem::remove(png, error);
  Browse(chromium, "--window-size=1100,2400 --screenshot=" + ShellQuote(png), page);
  RunResult head = RunCommand("head -c 8 " + ShellQuote(png));
  return head.output == "\x89PNG\r\n\x1A\n";
}

std::string Between(const std::string& text, std::string_view from, std::string_view to) {
  std::size_t start = text.find(from);
  if (start == std::string::npos) return {};
  std::size_t end = text.find(to, start);
  return end == std::string::npos ? std::string() : text.substr(start, end - start);
}

int Count(const std::string& text, std::string_view part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// The serializer writes " and ' in text as they are and U+00A0 as a reference.
std::string AsSerialized(std::string html) {
  for (const auto& [from, to] : {std::pair<std::string_view, std::string_view>{"&quot;", "\""},
                                 {"&#39;", "'"},
                                 {"\xC2\xA0", "&nbsp;"}}) {
    for (std::size_t at = html.find(from); at != std::string::npos; at = html.find(from, at)) {
      html.replace(at, from.size(), to);
      at += to.size();
    }
  }
  return html;
}

TEST(Browser, SamplePageHasItsTablesAndRows) {
  std::string reason;
  const std::string chromium = UsableChromium(reason);
  if (chromium.empty()) GTEST_SKIP() << reason;
  testing::TempDir dir;
  RunResult generated = RunCommand(ShellQuote(TARNIK_SAMPLE_BINARY) + " --out " +
                                   ShellQuote(dir.path()) + " --size small --seed 3");
  ASSERT_EQ(generated.exitCode, 0) << generated.output;
  // Status 2: the sample's built-in-layout group names a missing template on purpose.
  ASSERT_EQ(testing::RunTarnik().exitCode, 2);
  const std::string page = dir.File("all-echoes.html");
  const std::string source = dir.Read("all-echoes.html");

  RunResult dom = Browse(chromium, "--dump-dom", page);
  ASSERT_EQ(dom.exitCode, 0);
  // Markup that is not well nested comes back rearranged; ours comes back as it was written
  // (the line ends after </body> move into the body, so the comparison stops at the footer).
  EXPECT_EQ(Between(dom.output, "<body>", "</footer>"),
            AsSerialized(Between(source, "<body>", "</footer>")));
  struct Table {
    const char* id;
    int rows;
  } tables[] = {{"bytotal", 20},     {"topwriters", 20}, {"topreaders", 20}, {"topsizes", 20},
                {"topsubjects", 20}, {"bydays", 90},     {"bydayofweek", 7}, {"bytime", 3}};
  for (const Table& table : tables) {
    SCOPED_TRACE(table.id);
    std::string section =
        Between(dom.output, "<section id=\"" + std::string(table.id) + "\">", "</section>");
    ASSERT_FALSE(section.empty());
    std::string body = Between(section, "<tbody>", "</tbody>");
    EXPECT_EQ(Count(body, "<tr"), table.rows);
    EXPECT_GT(Count(section, "<th scope="), 0);
  }
  EXPECT_NE(dom.output.find("<dt>Days</dt><dd>90</dd>"), std::string::npos);
  EXPECT_EQ(Count(Between(dom.output, "<section id=\"bytime\">", "</section>"), "class=\"col\""),
            24);
  EXPECT_TRUE(Screenshot(chromium, page, "sample-page.png"));
}

TEST(Browser, HostileDataStaysText) {
  std::string reason;
  const std::string chromium = UsableChromium(reason);
  if (chromium.empty()) GTEST_SKIP() << reason;
  testing::TempDir dir;
  const std::vector<std::string> hostile = {"<script>alert(1)</script>",
                                            "\"><img src=x onerror=alert(1)>", "&amp;", "@curyear"};
  std::vector<testing::TestMessage> messages;
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    testing::TestMessage message;
    message.from = hostile[i];
    message.to = hostile[(i + 1) % hostile.size()];
    message.subject = hostile[i];
    message.written = testing::At(2024, 3, 1 + static_cast<int>(i), 10);
    message.lines = {"text"};
    messages.push_back(message);
  }
  ASSERT_TRUE(testing::WriteTestBase("S" + dir.File("echo"), messages));
  dir.Write("areas.bbs", "2:5020/1 ! Sysop\r\n$" + dir.File("echo") + " TEST.HOSTILE\r\n");
  dir.Write("Tarnik.Cfg",
            "AreaFile areasbbs areas.bbs\n"
            "define TEST.HOSTILE\n"
            "description \"<script>alert(2)</script> @curyear\"\n"
            "statperiod *\n"
            "byfrom 10\nbyto 10\nbysubjects 10\nbysize 10\nbytotal 10\n"
            "bydays\nbytime\nbydayofweek\n"
            "format html\nout hostile.html\nend\n");
  ASSERT_EQ(testing::RunTarnik().exitCode, 0);
  const std::string page = dir.File("hostile.html");

  RunResult dom = Browse(chromium, "--dump-dom", page);
  ASSERT_EQ(dom.exitCode, 0);
  ASSERT_NE(dom.output.find("</html>"), std::string::npos) << dom.output;
  // No element came from the data: text is serialized with < escaped, so any "<script" or
  // "<img" would be an element.
  EXPECT_EQ(dom.output.find("<script"), std::string::npos);
  EXPECT_EQ(dom.output.find("<img"), std::string::npos);
  for (const char* text : {"<td class=\"name\">&lt;script&gt;alert(1)&lt;/script&gt;</td>",
                           "<td class=\"t\">\"&gt;&lt;img src=x onerror=alert(1)&gt;</td>",
                           "<td class=\"name\">&amp;amp;</td>", "<td class=\"name\">@curyear</td>",
                           "<td class=\"t\">@curyear</td>",
                           "<h1>&lt;script&gt;alert(2)&lt;/script&gt; @curyear</h1>"}) {
    EXPECT_NE(dom.output.find(text), std::string::npos) << text;
  }
  EXPECT_TRUE(Screenshot(chromium, page, "hostile-page.png"));
}

}  // namespace
}  // namespace tarnik
