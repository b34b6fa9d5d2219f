#!/usr/bin/env bash
# Installs what is missing, builds a release and starts the console.
#
#   ./run.sh            the console against the device stand-in, in the folder demo/
#   ./run.sh --device   the console on its own, for a real device (settings in Tools > Options)
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARIX_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target varix-console varix-devsim

if [ "${1:-}" = "--device" ]; then
  exec "$build/src/app/varix-console"
fi
exec scripts/demo "$build"
