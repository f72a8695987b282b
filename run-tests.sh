#!/usr/bin/env bash
# Runs the Linux test suite, its sanitized build with the fuzzers, then the
# Windows one under Wine, each when it was configured. Each build is brought
# up to date first (quick when nothing changed), so no stale program is tested.
set -euo pipefail
cd "$(dirname "$0")"
cmake --build build
ctest --test-dir build --output-on-failure --no-tests=error -j2
if [ -f build-asan/CTestTestfile.cmake ]; then
  # The sanitized tests, and each fuzzer over its seeds and for 20 seconds more.
  cmake --build build-asan
  ctest --test-dir build-asan --output-on-failure --no-tests=error -j2
else
  echo "run-tests: no sanitized build in build-asan/ (VANTREL_SANITIZE=0), its tests and the fuzzers are skipped"
fi
if [ -f build-win/CTestTestfile.cmake ]; then
  cmake --build build-win
  cmake --build build-win --target dist
  ctest --test-dir build-win --output-on-failure --no-tests=error
else
  echo "run-tests: no Windows build in build-win/ (VANTREL_WINDOWS=0), its tests are skipped"
fi
