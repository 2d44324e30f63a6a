// tarnik-sample: writes a deterministic sample FidoNet node (message bases, tosser
// configurations, Tarnik.Cfg) for trying Tarnik out and for benchmarking it.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"
#include "sample_node.h"

namespace {

constexpr const char* kUsage =
    "Usage: tarnik-sample [options]\n"
    "  --out DIR           folder to create (must be missing or empty; default: sample)\n"
    "  --seed N            random seed (default 1); the same seed gives the same bytes\n"
    "  --size S            small, medium or large (default small)\n"
    "  --messages N        messages per echo instead of the size's\n"
    "  --reference DATE    YYYY-MM-DD; messages are dated before it (default 2026-12-01)\n"
    "  --template FILE     Default.Tpl to copy into templates/\n"
    "  --bench N           benchmark node: one echo per base format, N messages each\n"
    "                      (*.MSG at most 61439)\n"
    "  --writers N         size of the writer pool (bench default 20000)\n"
    "  --subjects N        size of the subject pool (bench default 50000)\n";

bool ParseCount(std::string_view text, int& value) {
  std::optional<std::int32_t> n = tarnik::ParseInt(text);
  if (!n || *n < 0) return false;
  value = *n;
  return true;
}

bool ParseDate(std::string_view text, tarnik::sample::SampleOptions& options) {
  if (tarnik::WordCount(text, "-") != 3) return false;
  int parts[3];
  for (int i = 0; i < 3; ++i) {
    if (!ParseCount(tarnik::WordOf(text, i + 1, "-"), parts[i])) return false;
  }
  options.referenceYear = parts[0];
  options.referenceMonth = parts[1];
  options.referenceDay = parts[2];
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  tarnik::sample::SampleOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (name == "--help" || name == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "tarnik-sample: %s needs a value\n%s", argv[i], kUsage);
      return 2;
    }
    const std::string_view value = argv[++i];
    bool good = true;
    if (name == "--out") {
      options.outDir = std::string(value);
    } else if (name == "--seed") {
      const auto [end, ec] =
          std::from_chars(value.data(), value.data() + value.size(), options.seed);
      good = ec == std::errc() && end == value.data() + value.size();
    } else if (name == "--size") {
      options.size = std::string(value);
    } else if (name == "--messages") {
      good = ParseCount(value, options.messages);
    } else if (name == "--reference") {
      good = ParseDate(value, options);
    } else if (name == "--template") {
      options.templateFile = std::string(value);
    } else if (name == "--bench") {
      good = ParseCount(value, options.bench);
    } else if (name == "--writers") {
      good = ParseCount(value, options.writers);
    } else if (name == "--subjects") {
      good = ParseCount(value, options.subjects);
    } else {
      std::fprintf(stderr, "tarnik-sample: unknown option %s\n%s", argv[i - 1], kUsage);
      return 2;
    }
    if (!good) {
      std::fprintf(stderr, "tarnik-sample: bad value for %s: %s\n", argv[i - 1], argv[i]);
      return 2;
    }
  }
  std::string error;
  std::int64_t total = 0;
  if (!tarnik::sample::WriteSampleNode(options, error, total)) {
    std::fprintf(stderr, "tarnik-sample: %s\n", error.c_str());
    return 1;
  }
  std::printf("tarnik-sample: %lld messages written to %s\n", static_cast<long long>(total),
              options.outDir.c_str());
  return 0;
}
