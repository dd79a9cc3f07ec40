#!/usr/bin/env bash
# Density against time of the optimising layout: runs `platenest layout --mode optimise` on each
# ESICUP job (with its instance's rotations) and industrial-150 for SECONDS (default 60), keeps
# the progress lines, and writes bench/optimise_curve.csv, bench/optimise_curve.png (plot by
# Debian's python3-matplotlib, installed when missing) and a table of the figures at 10 s,
# 60 s and 300 s (those within the run) on standard output.
#   bench/optimise_curve.sh [SECONDS] [PLATENEST]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
platenest=${2:-build/release/src/cli/platenest}
shared=tests/data/jobs
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if ! /usr/bin/python3 -c 'import matplotlib' 2>/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq python3-matplotlib >/dev/null
fi

jobs=(
  "jakobs1 esicup/jakobs1.txt --rn 4 --turnover off --keep-orientation"
  "fu esicup/fu.txt --rn 4 --turnover off --keep-orientation"
  "shapes0 esicup/shapes0.txt --rn 1 --turnover off --keep-orientation"
  "mao esicup/mao.txt --rn 4 --turnover off --keep-orientation"
  "swim esicup/swim.txt --rn 2 --turnover off --keep-orientation"
  "shirts esicup/shirts.txt --rn 2 --turnover off --keep-orientation"
  "industrial-150 industrial/industrial-150.txt"
)
echo "job,seconds,packing_length,density" > bench/optimise_curve.csv
for line in "${jobs[@]}"; do
  set -- $line
  name=$1 file=$2
  shift 2
  echo "optimise_curve: $name for $seconds s" >&2
  "$platenest" layout "$shared/$file" "$@" --mode optimise --seconds "$seconds" -C "$out/$name" \
    --json "$out/$name.json" > /dev/null 2> "$out/$name.err"
  # "   12.34 s  packing length 702.5 mm  density 71.20 %": one line at the start and per gain.
  # The progress bar shares those lines, ended by carriage returns.
  tr '\r' '\n' < "$out/$name.err" |
    sed -n 's/^ *\([0-9.]*\) s  packing length \([0-9.e+]*\) mm  density \([0-9.]*\) %.*/\1,\2,\3/p' |
    sed "s/^/$name,/" >> bench/optimise_curve.csv
  echo "$name,$seconds,$(/usr/bin/python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print('%.6g,%.2f' % (d['packingLength'], d['density']*100))" "$out/$name.json")" \
    >> bench/optimise_curve.csv
done
/usr/bin/python3 bench/optimise_curve.py bench/optimise_curve.csv bench/optimise_curve.png "$seconds"
