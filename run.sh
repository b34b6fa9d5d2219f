#!/usr/bin/env bash
# Installs what is missing, builds a release and starts the console.
#
#   ./run.sh            the console against the device stand-in, in the folder demo/
#   ./run.sh --device   the console on its own, for a real device (settings in Tools > Options)
set -euo pipefail
cd "$(dirname "$0")"
scripts/release-build
build=build/release

if [ "${1:-}" = "--device" ]; then
  exec "$build/src/app/varix-console"
fi
echo "demo device passwords: administrator \"admin\", super-user \"super\""
exec scripts/demo "$build"
