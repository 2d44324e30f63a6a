#!/usr/bin/env bash
# Builds Tarnik, lays out a sample node in scratch/sample and runs tarnik there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" >/dev/null

rm -rf scratch/sample
mkdir -p scratch/sample
cp -r data/sample/. scratch/sample/
mkdir -p scratch/sample/templates
cp data/templates/*.Tpl scratch/sample/templates/ 2>/dev/null || true

cd scratch/sample
"$root/build/tarnik"
echo
echo "Sample node and reports are in $root/scratch/sample"
for report in *.txt; do
  [ -f "$report" ] || continue
  echo "----- $report -----"
  cat "$report"
  break
done
