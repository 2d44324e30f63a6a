#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# in build-fuzz/, makes the seed corpora and runs each target for a bounded time. Any crash,
# leak, timeout, memory blow-up or sanitizer report makes the script fail.
# Usage: tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 20 seconds, all targets)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
seconds="${1:-20}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(squish jam msg_dir fastecho language data_file configuration template pattern)
fi
jobs=$(nproc 2>/dev/null || echo 2)

if ! command -v clang++ >/dev/null; then
  apt-get update -qq && apt-get install -y -qq clang >/dev/null
fi
# As in tools/test.sh, a CI build fails on any compiler warning.
werror=OFF
if [ "${CI:-}" = true ]; then werror=ON; fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNIK_FUZZ=ON -DTARNIK_TESTS=OFF -DTARNIK_WERROR="$werror" >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzzers

corpus="$root/build-fuzz/corpus"
fuzz/make-corpus.sh build-fuzz "$corpus"

# Findings (crash-*, leak-*, timeout-*, oom-*) land in build-fuzz/findings/<target>/; the
# work directories of the targets go under build-fuzz/tmp.
mkdir -p build-fuzz/tmp
failed=()
for target in "${targets[@]}"; do
  findings="$root/build-fuzz/findings/$target"
  rm -rf "$findings" "$root/build-fuzz/work/$target"
  mkdir -p "$findings" "$root/build-fuzz/work/$target"
  echo "== fuzz_$target: $seconds s"
  # New inputs go to a scratch corpus; the seeds are only read.
  if TMPDIR="$root/build-fuzz/tmp" \
     ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:allocator_may_return_null=0 \
     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1 \
       -artifact_prefix="$findings/" "$root/build-fuzz/work/$target" "$corpus/$target" \
       >"build-fuzz/findings/$target.log" 2>&1; then
    grep -E "^(Done|stat::number_of_executed_units)" "build-fuzz/findings/$target.log" || true
  else
    echo "fuzz_$target FAILED; log: build-fuzz/findings/$target.log"
    tail -n 60 "build-fuzz/findings/$target.log"
    failed+=("$target")
  fi
done

passed=$((${#targets[@]} - ${#failed[@]}))
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found problems in: ${failed[*]}"
  echo "fuzz: $passed passed, ${#failed[@]} failed"
  exit 1
fi
echo "fuzz: $passed passed, 0 failed"
