#!/usr/bin/env bash
# Runs the Linux test suite, then the Windows one under Wine when it was built.
set -euo pipefail
cd "$(dirname "$0")"
ctest --test-dir build --output-on-failure -j2
if [ -f build-win/CTestTestfile.cmake ]; then
  ctest --test-dir build-win --output-on-failure
else
  echo "run-tests: no Windows build in build-win/ (VANTREL_WINDOWS=0), its tests are skipped"
fi
