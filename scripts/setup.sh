#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and is missing.
set -euo pipefail
packages=(cmake ninja-build g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb xdotool x11-utils unzip
          googletest fonts-ipafont-gothic imagemagick python3 clang-format clang lld)
sudo=(); [[ $(id -u) -eq 0 ]] || sudo=(sudo)
updated=0
install_missing() { # PACKAGE...
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [[ ${#missing[@]} -eq 0 ]] && return
  echo "Installing: ${missing[*]}"
  [[ $updated -eq 1 ]] || { "${sudo[@]}" apt-get update -q; updated=1; }
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}
install_missing "${packages[@]}"
# The sanitizer and fuzzer runtime of the clang just installed, whatever its version.
install_missing "libclang-rt-$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)-dev"
