#!/usr/bin/env bash
# Builds Tarnik, generates a sample FidoNet node in scratch/sample (tarnik-sample: Squish, JAM
# and *.MSG echoes, five tossers' configurations, Tarnik.Cfg) and runs tarnik there: text
# reports, an HTML page and a JSON document.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target tarnik tarnik-sample language_file >/dev/null

rm -rf scratch/sample
mkdir -p scratch
"$root/build/tools/tarnik-sample" --out scratch/sample --template data/templates/Default.Tpl

# Reports and console texts are in code page 866; show them in UTF-8 where iconv is there.
show() {
  if command -v iconv >/dev/null 2>&1; then iconv -f CP866 -t UTF-8; else cat; fi
}

cd scratch/sample
"$root/build/tarnik" | show
echo
echo "Sample node: $root/scratch/sample (see README.txt there)"
echo "Reports:"
for report in *.txt *.html *.json; do
  [ "$report" = README.txt ] && continue
  [ -f "$report" ] || continue
  echo "  $root/scratch/sample/$report"
done
echo "Open all-echoes.html in a browser; all-echoes.json is the same group as JSON."
echo
echo "----- all-echoes.txt -----"
show < all-echoes.txt
