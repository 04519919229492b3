#!/bin/sh
# Installs what is missing, builds everything and runs every test (host and Windows under Wine).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cd "$root"
jobs=$(nproc)
for preset in host host-sanitize windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs" -LE bench
done
