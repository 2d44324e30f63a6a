#!/usr/bin/env bash
# Builds Tarnik and runs the whole test suite: first a normal build (build/), then the same
# tests built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), then with
# ThreadSanitizer (build-tsan/), since a long scan runs on two threads.
# Usage: tools/test.sh [--quick]   (--quick skips the sanitizer builds)
# With CI=true every build fails on a compiler warning.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
werror=OFF
if [ "${CI:-}" = true ]; then werror=ON; fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIK_WERROR="$werror" >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

if [ "${1:-}" != "--quick" ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTARNIK_SANITIZE=ON -DTARNIK_WERROR="$werror" \
    >/dev/null
  cmake --build build-asan -j"$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"

  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIK_SANITIZE_THREAD=ON \
    -DTARNIK_WERROR="$werror" >/dev/null
  cmake --build build-tsan -j"$jobs"
  TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j"$jobs"
fi
