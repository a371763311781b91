#!/usr/bin/env bash
# Configures and builds the MinGW-w64 tree (build/mingw).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset mingw >/dev/null
cmake --build --preset mingw
