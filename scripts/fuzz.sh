#!/usr/bin/env bash
# Builds the readers' libFuzzer targets with clang in build/fuzz and runs each for SECONDS
# (default 30), one per core at a time, from the bundled jobs and the seeds in fuzz/seeds. A
# finding fails the script once every target has run; its input is kept in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
# The targets work in a folder of their own: every path handed to them is absolute.
root=$PWD
seconds=${1:-30}
# A fixed seed makes a test run's fuzzing repeatable: a slower machine runs a prefix of the
# same inputs. FUZZ_SEED=0 lets libFuzzer pick a new seed each run, for exploring.
fuzz_seed=${FUZZ_SEED:-1}

scripts/setup.sh >/dev/null

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DPLATENEST_FUZZ=ON \
  -DPLATENEST_BUILD_TESTS=OFF -DPLATENEST_BUILD_BENCH=OFF >/dev/null
cmake --build build/fuzz --target platenest_fuzz -j "$(nproc)"

# The seeds of each target; the working corpus is a copy, so new inputs never land in the
# repository.
seeds_text_library=(examples/job.txt fuzz/seeds/text_library)
seeds_part_list=(examples/shop-sheet.preSrc)
seeds_dxf_list=(fuzz/seeds/dxf_list)
seeds_dxf_part=(examples/dxf-parts)
seeds_dxf_drawing=(examples/dxf-parts fuzz/seeds/dxf_drawing)

mkdir -p build/fuzz/findings
for name in text_library part_list dxf_list dxf_part dxf_drawing; do
  corpus=$root/build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds="seeds_${name}[@]"
  for seed in "${!seeds}"; do
    if [ -d "$seed" ]; then cp -n "$seed"/* "$corpus"/; else cp -n "$seed" "$corpus"/; fi
  done
done

fuzz_one() {
  local name=$1
  local corpus=$root/build/fuzz/corpus/$name log=build/fuzz/$name.log runs
  if ! build/fuzz/fuzz/fuzz_$name "$corpus" -max_total_time="$seconds" -seed="$fuzz_seed" -max_len=65536 \
      -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$root"/build/fuzz/findings/"$name"- >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $name found a fault; the input is in build/fuzz/findings/" >&2
    return 1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  echo "fuzz: $name ran $runs inputs without a finding"
}

# Each target runs on one core: as many at once as there are cores, each for its full time.
slots=$(nproc)
running=()
failed=0
for name in text_library part_list dxf_list dxf_part dxf_drawing; do
  echo "fuzz: $name for ${seconds} s"
  fuzz_one "$name" &
  running+=($!)
  if [ ${#running[@]} -ge "$slots" ]; then
    wait "${running[0]}" || failed=1
    running=("${running[@]:1}")
  fi
done
for pid in "${running[@]}"; do
  wait "$pid" || failed=1
done
exit "$failed"
