#!/usr/bin/env bash
# Installs Tarnik into a scratch prefix and runs the installed program as a sysop would: from a
# folder that holds no language file and no template, so Tarnik.Lng must come from
# ../share/tarnik/ beside the program and the report must use the built-in layout.
# Reuses build/ when it is there. Needs the shared fixtures for the report check; without
# them that check is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
fixtures=${TARNIK_FIXTURES_DIR:-$root/../shared/fixtures/ftn-interop}

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install build --prefix "$prefix" >/dev/null

failures=0
pass() { echo "install test: ok: $1"; }
fail() { echo "install test: FAILED: $1"; failures=$((failures + 1)); }
expect() {  # expect <description> <file> <fixed text>
  if grep -qF -- "$3" "$2"; then pass "$1"; else fail "$1 (no \"$3\" in $2)"; cat "$2"; fi
}
refuse() {  # refuse <description> <file> <fixed text>
  if grep -qF -- "$3" "$2"; then fail "$1 (\"$3\" in $2)"; cat "$2"; else pass "$1"; fi
}

for file in bin/tarnik bin/tarnik-lngc share/tarnik/Tarnik.Lng share/tarnik/Default.Tpl \
    share/tarnik/Tarnik.Cfg.sample share/man/man1/tarnik.1; do
  if [ -f "$prefix/$file" ]; then pass "installed $file"; else fail "missing $file"; fi
done

"$prefix/bin/tarnik-lngc" --dump "$prefix/share/tarnik/Tarnik.Lng" >"$work/lng.txt" 2>&1 || true
expect "tarnik-lngc reads the installed language file" "$work/lng.txt" '30046 "done."'

# The installed sample configuration must load without complaints.
mkdir "$work/sample"
cp "$prefix/share/tarnik/Tarnik.Cfg.sample" "$work/sample/Tarnik.Cfg"
# The sample names bases this scratch node does not have, so its exit status is not 0.
(cd "$work/sample" && "$prefix/bin/tarnik") >"$work/sample.out" 2>&1 || true
refuse "language file found beside the installed program" "$work/sample.out" \
  "Unable to open language file!"
refuse "sample configuration has only known keywords" "$work/sample.out" "Unknown keyword"
refuse "sample configuration keeps group keywords inside groups" "$work/sample.out" \
  "Area is not defined."

# A node whose only echo has no base: no report may appear.
mkdir "$work/empty"
printf 'AreaFile areasbbs areas.bbs\r\ndefine .\r\nstatperiod *\r\nbyfrom 5\r\nout report.txt\r\nend\r\n' \
  >"$work/empty/Tarnik.Cfg"
printf 'Sysop line ! Sysop\r\n$nowhere/base NO.SUCH.ECHO 2:5020/1\r\n' >"$work/empty/areas.bbs"
status=0
(cd "$work/empty" && "$prefix/bin/tarnik") >"$work/empty.out" 2>&1 || status=$?
if [ "$status" -eq 2 ]; then pass "exit status 2 when no base opens"; else
  fail "exit status $status when no base opens, expected 2"; fi
refuse "language file found from a folder holding only the configuration" "$work/empty.out" \
  "Unable to open language file!"
expect "missing base reported" "$work/empty.out" "fault: the message base cannot be opened."
if [ -e "$work/empty/report.txt" ]; then fail "report written without any base"; else
  pass "no report without any base"; fi

# A real Squish base written by other FidoNet software. Its area list holds paths relative to
# the fixture folder, which is read-only: run there, write everything into the scratch folder.
if [ ! -d "$fixtures/smapi" ]; then
  echo "install test: skipped the report check: no fixtures at $fixtures"
else
  mkdir "$work/node"
  cat >"$work/node/Tarnik.Cfg" <<EOF
AreaFile areasbbs smapi/areas.bbs
DataFile $work/node/Tarnik.Dat
define ^SM\.SQ\.SMALL$
statperiod *
bytotal 5
byfrom 5
bydayofweek
out $work/node/report.txt
end
EOF
  touch "$work/start"
  sleep 1
  status=0
  (cd "$fixtures" && "$prefix/bin/tarnik" "$work/node/Tarnik.Cfg") >"$work/node.out" 2>&1 || status=$?
  refuse "language file found when run from the base folder" "$work/node.out" \
    "Unable to open language file!"
  expect "missing template reported" "$work/node.out" \
    "Unable to open template file ~Default.Tpl~. Using default templates..."
  if [ -f "$work/node/report.txt" ]; then
    pass "report written"
    expect "built-in report header" "$work/node/report.txt" 'Echomail statistics [^SM\.SQ\.SMALL$]'
    expect "all 25 messages counted" "$work/node/report.txt" " Messages ................ 25"
    expect "closing line" "$work/node/report.txt" "// Tarnik/W32 ver.0.3.4a."
  else
    fail "no report written"
    cat "$work/node.out"
  fi
  changed=$(find "$fixtures" -newer "$work/start" -print 2>/dev/null | head -5)
  if [ -z "$changed" ]; then pass "fixture folder left untouched"; else
    fail "files changed in the fixture folder: $changed"; fi
fi

if [ "$failures" -ne 0 ]; then
  echo "install test: $failures check(s) failed"
  exit 1
fi
echo "install test: all checks passed"
