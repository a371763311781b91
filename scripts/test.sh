#!/usr/bin/env bash
# Builds Lullwick and runs every test under Wine in a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
source scripts/wine-env.sh
trap 'lullwick_stop_wine "$PWD/build/mingw"' EXIT
ctest --preset mingw "$@"
if [[ $# -eq 0 ]]; then
  # The release zips: both programs built and checked (the 32-bit one is not run).
  scripts/package.sh
  # The command-line splitter, the option logic and the number conversion, fuzzed natively.
  scripts/fuzz.sh
fi
