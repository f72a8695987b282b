#!/usr/bin/env bash
# Runs the Linux test suite, its sanitized build with the fuzzers, then the
# Windows one under Wine, each when it was built.
set -euo pipefail
cd "$(dirname "$0")"
ctest --test-dir build --output-on-failure -j2
if [ -f build-asan/CTestTestfile.cmake ]; then
  # The sanitized tests, and each fuzzer over its seeds and for 20 seconds more.
  ctest --test-dir build-asan --output-on-failure -j2
else
  echo "run-tests: no sanitized build in build-asan/ (VANTREL_SANITIZE=0), its tests and the fuzzers are skipped"
fi
if [ -f build-win/CTestTestfile.cmake ]; then
  ctest --test-dir build-win --output-on-failure
else
  echo "run-tests: no Windows build in build-win/ (VANTREL_WINDOWS=0), its tests are skipped"
fi
