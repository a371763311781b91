#!/usr/bin/env bash
# Configures and builds one cross tree: build/mingw (GCC) unless a preset is
# named, e.g. `scripts/build.sh mingw-clang` for build/mingw-clang.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-mingw}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
