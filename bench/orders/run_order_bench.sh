#!/usr/bin/env bash
# The order benchmark: 1 000 parts of 40 kinds (make_order.py) on 3000 x 1500 plates, gap 5.
# Prints, per mode, the plates used against the bound ceil(part area / (share x plate area))
# (0.70 for --mode all, 0.80 for --mode optimise) and the seconds taken.
# Usage: bench/orders/run_order_bench.sh [SECONDS_PER_PLATE] (default 10), from the repository.
set -euo pipefail
seconds=${1:-10}
here=$(cd "$(dirname "$0")" && pwd)
cli=${PLATENEST:-build/release/src/cli/platenest}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for mode in all optimise; do
  args=(nest "$here/order1000.toml" -C "$out/$mode" --json "$out/$mode.json" --quiet --mode "$mode")
  [ "$mode" = optimise ] && args+=(--seconds "$seconds")
  start=$(date +%s.%N)
  "$cli" "${args[@]}"
  end=$(date +%s.%N)
  /usr/bin/python3 - "$out/$mode.json" "$mode" "$start" "$end" <<'PY'
import json, math, sys
summary = json.load(open(sys.argv[1]))
mode, start, end = sys.argv[2], float(sys.argv[3]), float(sys.argv[4])
share = 0.70 if mode == "all" else 0.80
totals = summary["totals"]
plate = 3000 * 1500
bound = math.ceil(totals["partArea"] / (share * plate))
print(f"{mode}: {totals['plates']} plates ({totals['layouts']} layouts), bound {bound} at {share:.2f}; "
      f"placed {totals['placed']}, unplaced {totals['unplaced']}; density {100 * totals['density']:.2f} %; "
      f"{end - start:.2f} s")
PY
done
