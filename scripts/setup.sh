#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and is missing.
set -euo pipefail
packages=(cmake ninja-build g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb xdotool x11-utils unzip
          googletest fonts-ipafont-gothic imagemagick python3 clang-format clang libclang-rt-14-dev lld)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
sudo=(); [[ $(id -u) -eq 0 ]] || sudo=(sudo)
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
