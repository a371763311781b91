#!/usr/bin/env bash
# Builds Lullwick and runs every test under Wine in a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
# The same sources built with clang, warnings as errors too (skipped when a filter is given).
[[ $# -gt 0 ]] || scripts/build.sh mingw-clang
source scripts/wine-env.sh
trap 'lullwick_stop_wine "$PWD/build/mingw"; lullwick_stop_wine "$PWD/build/mingw-clang"' EXIT
rm -f build/mingw/reliability.txt
status=0
ctest --preset mingw "$@" || status=$?
[[ ! -f build/mingw/reliability.txt ]] || { echo; echo "Reliability:"; cat build/mingw/reliability.txt; }
[[ $status -eq 0 ]] || exit "$status"
if [[ $# -eq 0 ]]; then
  # The clang build's in-process tests; the end-to-end suites above ran against GCC's.
  ctest --preset mingw-clang
  # The release zips: both programs built and checked (the 32-bit one is not run).
  scripts/package.sh
  # The command-line splitter, the option logic and the number conversion, fuzzed natively.
  scripts/fuzz.sh
fi
