#!/usr/bin/env bash
# Installs what is missing, builds with GCC and with clang, each with AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer and warnings as errors (scripts/sanitized-build),
# and runs every test in both builds. The clang build holds the fuzz targets too: each is run over
# its seed corpus as a test, then all of them for a short while on new inputs. Last, the Debian
# package of the release build is made and tested, unpacked and installed with apt into a clean
# Debian root (skipped, with the reason, where the archive cannot be reached).
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
run_tests() {
  ctest --test-dir "$1" --output-on-failure --parallel "$(scripts/jobs)" --timeout 300
}
scripts/sanitized-build gcc
run_tests build/debug-asan
scripts/sanitized-build clang
run_tests build/clang-asan
scripts/fuzz 15
deb=$(scripts/package)
tests/package/package-test "$deb"
tests/package/clean-root-test "$deb"
