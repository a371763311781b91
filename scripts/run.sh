#!/usr/bin/env bash
# Builds Lullwick and starts it under Wine, on your display or, when there is
# none, in a virtual one.  Arguments are passed to Lullwick.exe (for example /S).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
source scripts/wine-env.sh
dir=$PWD/build/run
if [[ -n ${DISPLAY:-} ]]; then
  export LULLWICK_USE_DISPLAY=1
  echo "Starting Lullwick on display $DISPLAY."
else
  echo "No display found: starting Lullwick in a virtual display (Xvfb)."
fi
lullwick_wine_env "$dir"
[[ ${LULLWICK_USE_DISPLAY:-} == 1 ]] || echo "Virtual display is $DISPLAY; look at it with: DISPLAY=$DISPLAY import -window root shot.png"
exec wine build/mingw/Lullwick.exe "$@"
