#!/usr/bin/env bash
# Lays out N random shop jobs (default 1000) in both layout modes and checks every layout as
# cut: the gap between parts and the plate's edges. SEED picks the first job (default 1).
# Uses the optimised build in build/release, building what the soak needs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${1:-1000}

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target platenest_nesting_tests -j "$(nproc)"
start=$(date +%s)
PLATENEST_SOAK_JOBS="$jobs" PLATENEST_SOAK_SEED="${SEED:-1}" \
  build/release/tests/platenest_nesting_tests --gtest_filter='RandomJobTest.*' --gtest_also_run_disabled_tests
echo "soak: $jobs jobs in $(( $(date +%s) - start )) s"
