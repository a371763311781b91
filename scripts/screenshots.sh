#!/usr/bin/env bash
# Regenerates the README's pictures from the end-to-end tests, which take
# them under Xvfb with the Japanese fonts of the test prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/test.sh -R 'e2e_test_(tray|commandline)$'
mkdir -p docs/images
for shot in tray-menu tray-menu-hold choose-app tray-on tray-off version-window wait-time-dialog wait-time-dialog-144 status-message; do
  cp "build/mingw/e2e-artifacts/$shot.png" "docs/images/$shot.png"
done
echo "docs/images updated"
