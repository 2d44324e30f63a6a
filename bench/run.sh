#!/usr/bin/env bash
# Tarnik scan benchmark: generates one echo per message base format with tarnik-sample,
# warms the page cache, and measures side by side, per format and size:
#   cat    - reading the base's files to /dev/null (for *.MSG every message file), the limit;
#   tarnik - a configuration with every section on (long lists), report to a file.
# Prints the median wall time of several runs, messages per second, the ratio tarnik/cat and
# tarnik's peak resident memory.
#
# Usage: bench/run.sh [--sizes "100000 1000000"] [--runs 5] [--dir DIR] [--writers N]
#                     [--subjects N] [--formats "squish jam msg"] [--charset NAME] [--keep]
# --charset adds "Charset NAME" to the configuration (reports in that charset).
# DIR defaults to scratch/bench in the repository (git-ignored). Generated bases are kept
# between runs only with --keep (they take about 3.5 GB at 10^6 messages).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
sizes="100000 1000000"
runs=5
dir="$repo/scratch/bench"
writers=20000
subjects=50000
formats="squish jam msg"
charset=
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) sizes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --writers) writers=$2; shift 2 ;;
    --subjects) subjects=$2; shift 2 ;;
    --formats) formats=$2; shift 2 ;;
    --charset) charset=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

msg_cap=61439

if [ ! -x /usr/bin/time ]; then
  echo "installing the time package for /usr/bin/time"
  apt-get install -y time > /dev/null || { apt-get update > /dev/null && apt-get install -y time > /dev/null; }
fi

build="$repo/build"
if [ ! -x "$build/tarnik" ] || [ ! -f "$build/Tarnik.Lng" ] || [ ! -x "$build/tools/tarnik-sample" ]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
  cmake --build "$build" -j2 --target tarnik tarnik-sample > /dev/null
fi
tarnik="$build/tarnik"
sample="$build/tools/tarnik-sample"
mkdir -p "$dir"

now() { date +%s.%N; }
median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

# The files cat reads for one format of a node.
base_files() {
  local node=$1 format=$2
  case "$format" in
    squish) printf '%s\0' "$node"/bench/squish.SQD "$node"/bench/squish.SQI ;;
    jam) printf '%s\0' "$node"/bench/jam.JHR "$node"/bench/jam.JDX "$node"/bench/jam.JDT ;;
    msg) find "$node/bench/msg" -type f -name '*.MSG' -print0 ;;
  esac
}

# Tarnik.Cfg of the bench node holds one group per format; this keeps the lines before the
# first group and the group whose report is <format>.txt, so each format is scanned alone.
one_format_config() {
  awk -v want="$2.txt" -v charset="$charset" '
    NR == 1 && charset != "" { print "Charset " charset }
    /^define / { inGroup = 1; group = ""; chosen = 0 }
    !inGroup { print; next }
    { group = group $0 "\n" }
    /^out / { chosen = ($2 == want) }
    /^end$/ { if (chosen) printf "%s", group; inGroup = 0 }
  ' "$1/Tarnik.Cfg" > "$1/Bench-$2.Cfg"
}

results="$dir/results.txt"
: > "$results"
echo "runs per figure: $runs; writers $writers, subjects $subjects; $(nproc) cores"
msg_done=0
for n in $sizes; do
  node="$dir/n$n-w$writers-s$subjects"
  if [ ! -f "$node/Tarnik.Cfg" ]; then
    rm -rf "$node"
    echo "generating $n messages per format in $node"
    "$sample" --out "$node" --bench "$n" --writers "$writers" --subjects "$subjects" \
      --template "$repo/data/templates/Default.Tpl" > /dev/null
  fi
  for format in $formats; do
    count=$n
    if [ "$format" = msg ]; then
      # The *.MSG base stops at the highest number the format reads: one size covers it.
      [ "$n" -gt "$msg_cap" ] && count=$msg_cap
      [ "$count" = "$msg_cap" ] && [ "$msg_done" = 1 ] && continue
      [ "$count" = "$msg_cap" ] && msg_done=1
    fi
    one_format_config "$node" "$format"
    base_files "$node" "$format" | xargs -0 cat > /dev/null  # warm the page cache
    cat_times=() tarnik_times=() rss=()
    for ((i = 0; i < runs; i++)); do
      t0=$(now)
      base_files "$node" "$format" | xargs -0 cat > /dev/null
      t1=$(now)
      (cd "$node" && /usr/bin/time -f %M -o "$dir/rss.txt" "$tarnik" "Bench-$format.Cfg" > "$dir/console.txt")
      t2=$(now)
      cat_times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')")
      tarnik_times+=("$(awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }')")
      rss+=("$(cat "$dir/rss.txt")")
    done
    mkdir -p "$dir/reports"
    cp "$node/$format.txt" "$dir/reports/$format-$n.txt"
    cat_median=$(printf '%s\n' "${cat_times[@]}" | median)
    tarnik_median=$(printf '%s\n' "${tarnik_times[@]}" | median)
    rss_max=$(printf '%s\n' "${rss[@]}" | sort -g | tail -1)
    printf '%s %s %s %s %s\n' "$format" "$count" "$cat_median" "$tarnik_median" "$rss_max" >> "$results"
    printf '%-7s %8s  cat runs: %s\n' "$format" "$count" "$(printf '%.3f ' "${cat_times[@]}")"
    printf '%-7s %8s  tarnik runs: %s\n' "$format" "$count" "$(printf '%.3f ' "${tarnik_times[@]}")"
  done
  [ "$keep" = 1 ] || rm -rf "$node"
done

echo
printf '| %-6s | %9s | %8s | %9s | %11s | %12s | %12s |\n' format messages "cat s" "tarnik s" \
  "messages/s" "tarnik/cat" "peak RSS MB"
printf '|--------|-----------|----------|-----------|-------------|--------------|--------------|\n'
while read -r format count cat_s tarnik_s rss_kb; do
  awk -v f="$format" -v n="$count" -v c="$cat_s" -v t="$tarnik_s" -v r="$rss_kb" 'BEGIN {
    printf "| %-6s | %9d | %8.3f | %9.3f | %11.0f | %12.1f | %12.1f |\n", f, n, c, t, n / t, t / c, r / 1024
  }'
done < "$results"
# Growth from the smallest to the largest size, per format (linear means the message ratio).
awk '{ if (!($1 in first)) { first[$1] = $4; firstN[$1] = $2 } last[$1] = $4; lastN[$1] = $2 }
  END { for (f in first) if (lastN[f] > firstN[f])
    printf "%s: %d -> %d messages, time x%.1f (messages x%.0f)\n", f, firstN[f], lastN[f],
      last[f] / first[f], lastN[f] / firstN[f] }' "$results"
