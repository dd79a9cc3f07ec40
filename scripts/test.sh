#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: once optimised, once under
# AddressSanitizer + UBSan (whole-job layout tests run in the optimised pass only).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc)
# Each stage says when it ended, so a slow run shows where its time went.
stage() { echo "test: $1 done at ${SECONDS} s"; }
stage setup

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$jobs"
stage "release build"
ctest --test-dir build/release --output-on-failure -j "$jobs"
stage "release tests"

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

# The window on a real X server (Xvfb, no window manager) driven by real key presses: the
# layout's timing box in front and answered by Return, then Esc, undo and redo. Pictures of
# each step land in build/release/real-display. Bounded: the server gets 20 s to start, the
# test 180 s to end.
display_dir=build/release/real-display
rm -rf "$display_dir" && mkdir -p "$display_dir"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$display_dir/display" \
  >"$display_dir/xvfb.log" 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 200); do
  [ -s "$display_dir/display" ] && break
  sleep 0.1
done
[ -s "$display_dir/display" ] || { echo "real display: Xvfb did not start"; cat "$display_dir/xvfb.log"; exit 1; }
DISPLAY=":$(cat "$display_dir/display")" QT_QPA_PLATFORM=xcb timeout 180 \
  build/release/tests/platenest_real_display_test examples/job.txt "$display_dir"
kill "$xvfb_pid" 2>/dev/null || true
wait "$xvfb_pid" 2>/dev/null || true
trap - EXIT
stage "screenshot and real display"

# -O1 runs the sanitized tests about three times faster than -O0 and still reports every fault
# with its line (-g1). At -O1 GCC 12 warns falsely inside std::regex; the optimised build above
# keeps that warning for our own code.
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLATENEST_SANITIZE=ON \
  -DPLATENEST_BUILD_BENCH=OFF -DPLATENEST_VALIDATE=ON \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1 -Wno-maybe-uninitialized"
cmake --build build/asan -j "$jobs"
stage "sanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" -E 'JobTest'
stage "sanitizer tests"

# The readers' fuzz targets, 20 s each, from the bundled jobs and the seeds.
scripts/fuzz.sh 20
stage fuzzing
