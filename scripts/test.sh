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

# The desktop program draws the bundled example without a display: a PNG of the fixed size.
# It runs in a folder of its own, which also holds its timing file and error log.
shot_dir=build/release/screenshot
rm -rf "$shot_dir" && mkdir -p "$shot_dir"
(cd "$shot_dir" && HOME="$PWD" QT_QPA_PLATFORM=offscreen \
  ../src/app/platenest-gui --screenshot gui-example.png ../../../examples/job.txt)
shot="$shot_dir/gui-example.png"
python3 - "$shot" <<'PY'
import struct, sys
with open(sys.argv[1], "rb") as f:
    head = f.read(24)
if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
    sys.exit(f"{sys.argv[1]}: not a PNG")
size = struct.unpack(">II", head[16:24])
if size != (1200, 800):
    sys.exit(f"{sys.argv[1]}: {size[0]} x {size[1]} pixels, expected 1200 x 800")
print(f"screenshot: {sys.argv[1]} is a 1200 x 800 PNG")
PY

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLATENEST_SANITIZE=ON \
  -DPLATENEST_BUILD_BENCH=OFF -DPLATENEST_VALIDATE=ON
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" -E 'JobTest'

# The readers' fuzz targets, 20 s each, from the bundled jobs and the seeds.
scripts/fuzz.sh 20
