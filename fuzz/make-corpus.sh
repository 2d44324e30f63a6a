#!/usr/bin/env bash
# Writes the seed corpora of the fuzz targets: OUT_DIR/<target>/ for each target.
# Usage: fuzz/make-corpus.sh BUILD_DIR OUT_DIR
# BUILD_DIR is a build with -DTARNIK_FUZZ=ON (it holds fuzz/fuzz_seeds). The interop fixtures
# are taken from ../shared beside the checkout when they are there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
out="$2"
fixtures="$root/../shared/fixtures/ftn-interop"
rm -rf "$out"
mkdir -p "$out"
ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/fuzz_seeds" "$root" "$fixtures" "$out"
