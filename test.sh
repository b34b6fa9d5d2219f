#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer (benchmarks
# included, so they keep compiling; they are never run here), and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
build=build/debug-asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARIX_SANITIZE=ON -DVARIX_TESTS=ON -DVARIX_BENCH=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
