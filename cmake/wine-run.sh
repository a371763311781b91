#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix, inside the
# build tree's own virtual X display, so tests never touch a real user's
# settings or screen.  Usage: wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -euo pipefail
root=$(cd "$1" && pwd); shift
# shellcheck source=/dev/null
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-env.sh"
lullwick_wine_env "$root"
exec wine "$@"
