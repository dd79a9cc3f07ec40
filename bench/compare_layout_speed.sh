#!/usr/bin/env bash
# Side-by-side speed of two builds of platenest: every benchmark job and the bundled example
# laid out by both binaries in turn, run after run, and the median of the layout command's own
# clock (the JSON `seconds`) for each, with the ratio.
#
#   bench/compare_layout_speed.sh BEFORE_BINARY AFTER_BINARY [RUNS]
set -euo pipefail
before=$1
after=$2
runs=${3:-9}
jobs_dir=$(cd "$(dirname "$0")/../tests/data/jobs" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds() { python3 -c "import json, sys; print(json.load(open(sys.argv[1]))['seconds'])" "$1"; }
median() { sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

compare() {
  local name=$1
  shift
  : > "$work/before.txt"
  : > "$work/after.txt"
  for _ in $(seq "$runs"); do
    "$before" layout "$@" -C "$work/b" --json "$work/b.json" --quiet 2>/dev/null
    seconds "$work/b.json" >> "$work/before.txt"
    "$after" layout "$@" -C "$work/a" --json "$work/a.json" --quiet 2>/dev/null
    seconds "$work/a.json" >> "$work/after.txt"
  done
  python3 -c "import sys; b, a = float(sys.argv[2]), float(sys.argv[3]); \
print('| %s | %.4f | %.4f | %.1f |' % (sys.argv[1], b, a, b / a))" \
    "$name" "$(median < "$work/before.txt")" "$(median < "$work/after.txt")"
}

echo "| job | layout s before | layout s after | ratio |"
echo "|---|---|---|---|"
# The jobs and their settings come from the table the tests and the benchmarks read.
table="$(dirname "$0")/../tests/test_support/benchmark_jobs.txt"
while read -r name file settings; do
  case "$name" in ''|'#'*) continue ;; esac
  # shellcheck disable=SC2086  # the settings are separate arguments
  compare "$name" "$jobs_dir/$file" $settings
done < "$table"
compare "examples/job.txt"
