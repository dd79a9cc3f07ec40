#!/usr/bin/env bash
# Installs what is needed, builds, and lays out the bundled example job. The drawing,
# the picture and the report land in out/example/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$(nproc)" --target platenest

out=out/example
mkdir -p "$out"
# With -C the drawing, the report and the timing record land in $out; paths named on the
# command line stay relative to this directory.
build/release/src/cli/platenest layout -C "$out" --error-log "$out/PackError.txt" \
  --svg "$out/layout.svg" "$@"
echo "run: wrote $out/layout.dxf, $out/layout.svg and $out/Report.txt"
