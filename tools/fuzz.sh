#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# in build-fuzz/, makes the seed corpora and runs each target for a bounded time. Any crash,
# leak, timeout, memory blow-up or sanitizer report makes the script fail.
# Usage: tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 20 seconds, all targets)
#        tools/fuzz.sh --long [SECONDS_PER_TARGET] [TARGET...]
# --long is the occasional deep run: each target until 10^7 executions or the given time
# (default 3 hours), whichever comes first.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
runs=()
if [ "${1:-}" = "--long" ]; then
  shift
  seconds="${1:-10800}"
  runs=(-runs=10000000)
else
  seconds="${1:-20}"
fi
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(squish jam msg_dir fastecho language data_file configuration template pattern
    tosser_config charset)
fi
jobs=$(nproc 2>/dev/null || echo 2)

# Inputs are capped where larger ones add nothing a smaller one cannot reach: a pattern and its
# subject are cut to 255 bytes each; a base of 16 KB holds dozens of messages (JAM gets room
# for one header whose subfields fill the 16460-byte header buffer); text inputs are made of
# lines of at most 255 bytes; the FastEcho header alone is 4644 bytes; a charset conversion
# sees names, subjects and lines, so a kilobyte covers the 255-byte cuts with room to spare.
declare -A max_len=(
  [squish]=16384 [jam]=20480 [msg_dir]=16384 [fastecho]=8192 [language]=8192
  [data_file]=2048 [configuration]=4096 [template]=1024 [pattern]=511 [tosser_config]=8192
  [charset]=1024
)

if ! command -v clang++ >/dev/null; then
  apt-get update -qq && apt-get install -y -qq clang >/dev/null
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNIK_FUZZ=ON -DTARNIK_TESTS=OFF >/dev/null
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
  echo "== fuzz_$target: $seconds s${runs:+ or 10^7 executions}"
  # New inputs go to a scratch corpus; the seeds are only read.
  if TMPDIR="$root/build-fuzz/tmp" \
     ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:allocator_may_return_null=0 \
     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" ${runs[@]+"${runs[@]}"} \
       -max_len="${max_len[$target]:-4096}" -timeout=10 \
       -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1 \
       -artifact_prefix="$findings/" "$root/build-fuzz/work/$target" "$corpus/$target" \
       >"build-fuzz/findings/$target.log" 2>&1; then
    grep -E "^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)" \
      "build-fuzz/findings/$target.log" || true
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
