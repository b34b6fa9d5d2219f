#!/usr/bin/env bash
# Installs what is missing, builds a release and starts the console.
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARIX_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
exec "$build/src/app/varix-console" "$@"
