#!/usr/bin/env bash
# Fails when a source under src/ includes a folder to its right in the layer order of
# src/README.md, when report includes msgbase (reports never read bases), or when an include
# of a project header is not spelled from src/.
set -euo pipefail
cd "$(dirname "$0")/.."
order="common core msgbase config areas scan report app"

find src -name '*.h' -o -name '*.cc' | sort |
  xargs grep -H -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
  awk -v order="$order" '
    BEGIN {
      n = split(order, names, " ")
      for (i = 1; i <= n; ++i) rank[names[i]] = i
    }
    {
      split($0, parts, ":")
      file = parts[1]
      line = parts[2]
      split(file, path, "/")
      from = path[2]
      header = $0
      sub(/^[^"]*"/, "", header)
      sub(/".*$/, "", header)
      slash = index(header, "/")
      to = slash > 0 ? substr(header, 1, slash - 1) : ""
      where = file ":" line ": "
      if (!(from in rank)) {
        print where from " is not a folder of the layer order"; failed = 1
      } else if (to == "") {
        print where "\"" header "\" is not spelled from src/"; failed = 1
      } else if (!(to in rank)) {
        print where "\"" header "\" is in no folder of the layer order"; failed = 1
      } else if (rank[to] > rank[from]) {
        print where from " includes \"" header "\", a folder to its right"; failed = 1
      } else if (from == "report" && to == "msgbase") {
        print where "report includes \"" header "\"; reports never read message bases"; failed = 1
      }
    }
    END {
      if (failed) {
        print "layers: includes out of order (" order ")"
        exit 1
      }
      print "layers: every include points left in " order
    }'
