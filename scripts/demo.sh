#!/bin/sh
# Builds the Windows SDK and runs velmor-demo under Wine against the emulated camera.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target velmor-demo
export VELMOR_EMULATION="${VELMOR_EMULATION:-devices=0;source=bars}"
exec "$root/scripts/wine-run" "$root/build/windows/wineprefix" "$root/build/windows/bin/velmor-demo.exe" "$@"
