#!/usr/bin/env bash
# Builds Lullwick and runs every test under Wine in a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
source scripts/wine-env.sh
trap 'lullwick_stop_wine "$PWD/build/mingw"' EXIT
rm -f build/mingw/reliability.txt
status=0
ctest --preset mingw "$@" || status=$?
[[ ! -f build/mingw/reliability.txt ]] || { echo; echo "Reliability:"; cat build/mingw/reliability.txt; }
[[ $status -eq 0 ]] || exit "$status"
if [[ $# -eq 0 ]]; then
  # The release zips: both programs built and checked (the 32-bit one is not run).
  scripts/package.sh
  # The command-line splitter, the option logic and the number conversion, fuzzed natively.
  scripts/fuzz.sh
fi
