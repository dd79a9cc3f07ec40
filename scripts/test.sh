#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: once optimised, once under
# AddressSanitizer + UBSan (whole-job layout tests run in the optimised pass only).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLATENEST_SANITIZE=ON \
  -DPLATENEST_BUILD_BENCH=OFF -DPLATENEST_VALIDATE=ON
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" -E 'JobTest'
