#!/usr/bin/env bash
# Builds Tarnik, generates a sample FidoNet node in scratch/sample (tarnik-sample: Squish, JAM
# and *.MSG echoes with messages in code page 866, UTF-8 and KOI8-R, five tossers'
# configurations, Tarnik.Cfg, Tarnik-utf8.Cfg) and runs tarnik there: text reports, an HTML
# page and a JSON document.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target tarnik tarnik-sample language_file >/dev/null

rm -rf scratch/sample
mkdir -p scratch
"$root/build/tools/tarnik-sample" --out scratch/sample --template data/templates/Default.Tpl

# The console follows the locale (a UTF-8 terminal sees UTF-8); the reports of Tarnik.Cfg are
# in code page 866, those of Tarnik-utf8.Cfg (Charset UTF-8) in UTF-8.
# One group of Tarnik.Cfg names a template that is not there, on purpose: tarnik says so on
# standard error and ends with status 2.
cd scratch/sample
"$root/build/tarnik" || true
echo
"$root/build/tarnik" Tarnik-utf8.Cfg
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
echo "----- report-utf8.txt -----"
cat report-utf8.txt
