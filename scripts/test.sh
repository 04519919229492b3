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
  # A program that hangs is ended at its timeout and run once more: Wine has been seen, once,
  # to leave a two-call program hanging at start-up; a hang of ours hangs again.
  ctest --preset "$preset" -j "$jobs" -LE bench --repeat after-timeout:2
done
