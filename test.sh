#!/usr/bin/env bash
# Installs what is missing, builds with GCC and with clang, each with AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer and warnings as errors (scripts/sanitized-build),
# and runs every test in both builds, the two suites at the same time. The clang build holds the fuzz targets too: each is run over
# its seed corpus as a test, then all of them for a short while on new inputs. Last, the Debian
# package of the release build is made and tested, unpacked and installed with apt into a clean
# Debian root (skipped, with the reason, where the archive cannot be reached).
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
scripts/sanitized-build gcc
scripts/sanitized-build clang
# The suites mostly wait (on the stand-in, on time-outs) rather than compute, so both run at once;
# each one's output is shown when it has ended.
suites=(build/debug-asan build/clang-asan)
pids=()
for build in "${suites[@]}"; do
  ctest --test-dir "$build" --output-on-failure --parallel "$(scripts/jobs)" --timeout 300 >"$build/suite.log" 2>&1 &
  pids+=("$!")
done
failed=0
for i in "${!suites[@]}"; do
  wait "${pids[i]}" || failed=1
  cat "${suites[i]}/suite.log"
done
((failed == 0))
scripts/fuzz 15
deb=$(scripts/package)
tests/package/package-test "$deb"
tests/package/clean-root-test "$deb"
