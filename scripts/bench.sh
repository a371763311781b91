#!/usr/bin/env bash
# Measures Lullwick against the smallest tray program (bench/baseline_tray.cpp)
# under Wine in the build tree's virtual display and prints the table with the
# budgets; exits non-zero when a budget is missed.  BENCH_RUNS (10) and
# BENCH_IDLE (60 s) set the number of interleaved runs and the idle time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
source scripts/wine-env.sh
trap 'lullwick_stop_wine "$PWD/build/mingw"' EXIT
lullwick_wine_env "$PWD/build/mingw"
LULLWICK_BUILD=$PWD/build/mingw LULLWICK_SOURCE=$PWD python3 bench/bench.py
