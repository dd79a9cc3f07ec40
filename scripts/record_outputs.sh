#!/usr/bin/env bash
# Records every output of a platenest build for the benchmark jobs and the examples, so that
# two builds can be compared byte for byte (`diff -r BEFORE AFTER`). The JSON summaries are
# kept without their "seconds" field, which is a clock reading.
#
#   scripts/record_outputs.sh PLATENEST_BINARY OUTPUT_FOLDER
set -euo pipefail
binary=$(realpath "$1")
out=$2
repo=$(cd "$(dirname "$0")/.." && pwd)
jobs_dir=$(cd "$repo/tests/data/jobs" && pwd)
rm -rf "$out"
mkdir -p "$out"
out=$(realpath "$out")

strip_seconds() {
  python3 -c "import json, sys; d = json.load(open(sys.argv[1])); d.pop('seconds', None); \
print(json.dumps(d, sort_keys=True, indent=1))" "$1" > "$1.tmp"
  mv "$1.tmp" "$1"
}

# run NAME COMMAND JOB ARGS...: the outputs of one command in a folder of their own.
run() {
  local name=$1 command=$2
  shift 2
  local dir="$out/$name"
  mkdir -p "$dir"
  local extra=()
  [[ $command == layout ]] && extra=(--svg "$dir/layout.svg")
  # Keep standard output and error too; the timing lines are dropped.
  "$binary" "$command" "$@" -C "$dir" --json "$dir/summary.json" --error-log "$dir/PackError.txt" \
    "${extra[@]}" > "$dir/stdout.txt" 2> "$dir/stderr.txt" || echo "exit $?" >> "$dir/stdout.txt"
  # Clock readings and the error log's dated headers differ from run to run.
  sed -i -E '/[0-9.]+ ?s(econds)?\b/d; /排样计算时间/d' "$dir/stdout.txt"
  LC_ALL=C sed -i -E '/^[0-9]{4}\xc4\xea/d' "$dir/PackError.txt" 2>/dev/null || true
  # The progress bar is redrawn as the clock goes: keep the lines it is drawn between.
  perl -i -pe 's/\r/\n/g' "$dir/stderr.txt"
  sed -i -E '/^\[[# ]{30}\]/d; s/^ +//; /^$/d' "$dir/stderr.txt"
  # Paths name the output, job and source folders, so that two work trees compare equal.
  sed -i "s|$out|OUT|g; s|$jobs_dir|JOBS|g; s|$repo|REPO|g" "$dir/stdout.txt" "$dir/stderr.txt"
  rm -f "$dir/排样计算时间.txt"
  [[ -f "$dir/summary.json" ]] && strip_seconds "$dir/summary.json"
  return 0
}

# The benchmark jobs with their recorded settings: NAME FILE ARGS.
while read -r name file args; do
  [[ -z $name || $name == \#* ]] && continue
  # shellcheck disable=SC2086
  run "layout-$name" layout "$jobs_dir/$file" $args
  # shellcheck disable=SC2086
  run "multi-$name" layout "$jobs_dir/$file" $args --mode multi
done < "$repo/tests/test_support/benchmark_jobs.txt"

for example in job.txt shop-sheet.preSrc dxf-job.txt; do
  run "layout-$example" layout "$repo/examples/$example"
  run "multi-$example" layout "$repo/examples/$example" --mode multi
  run "export-$example" export-parts "$repo/examples/$example"
  run "export-layout-$example" export-parts "$repo/examples/$example" --layout
  run "check-$example" check "$repo/examples/$example"
done
run "layout-bundled" layout

# The reduction run: its report, its step drawings and its progress lines.
run "reduce-job.txt" reduce "$repo/examples/job.txt"
run "reduce-shop-sheet" reduce "$repo/examples/shop-sheet.preSrc"
run "reduce-jakobs1" reduce "$jobs_dir/esicup/jakobs1.txt" --rn 4 --turnover off --keep-orientation
run "reduce-industrial-60" reduce "$jobs_dir/industrial/industrial-60.txt"
echo "recorded in $out"
