#!/usr/bin/env bash
# Fails when a C++ source of the repository does not follow .clang-format; with --fix, formats
# them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  apt-get update -qq && apt-get install -y -qq clang-format >/dev/null
fi
if [ "${1:-}" = "--fix" ]; then
  git ls-files -z '*.cc' '*.h' | xargs -0 clang-format -i
  exit 0
fi
git ls-files -z '*.cc' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "format: every source follows .clang-format"
