#!/usr/bin/env bash
# Builds the 64-bit and the 32-bit program and their release zips in build/,
# and checks what each holds: a Windows GUI program of its architecture that
# needs no DLL beyond the system's own, the guide and the license.
set -euo pipefail
cd "$(dirname "$0")/.."
allowed='^(KERNEL32|USER32|GDI32|SHELL32|COMCTL32|ADVAPI32|msvcrt|api-ms-win-[a-z0-9-]+)\.dll$'
for preset in mingw mingw32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target Lullwick
  (cd "build/$preset" && cpack -G ZIP >/dev/null)
done
check() { # ZIP ARCH TRIPLE
  local zip=$1 arch=$2 triple=$3 dir
  dir=$(mktemp -d)
  unzip -q "$zip" -d "$dir"
  [[ -f $dir/Lullwick.exe && -f $dir/guide.html && -f $dir/LICENSE ]] || { echo "$zip: incomplete" >&2; return 1; }
  local headers dll
  shopt -s nocasematch
  headers=$("$triple-objdump" -f -p "$dir/Lullwick.exe")
  [[ $headers == *"file format $arch"* ]] || { echo "$zip: not $arch" >&2; return 1; }
  [[ $headers == *"(Windows GUI)"* ]] || { echo "$zip: not a GUI program" >&2; return 1; }
  for dll in $(awk '/DLL Name:/ {print $3}' <<<"$headers"); do
    [[ $dll =~ $allowed ]] || { echo "$zip: needs $dll" >&2; return 1; }
  done
  echo "$zip: $(stat -c %s "$dir/Lullwick.exe") bytes, $arch, system DLLs only"
  rm -rf "$dir"
}
# The version has one source, the project's; the zips are named after it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/mingw/CMakeCache.txt)
check "build/mingw/Lullwick-$version-win64.zip" pei-x86-64 x86_64-w64-mingw32
check "build/mingw32/Lullwick-$version-win32.zip" pei-i386 i686-w64-mingw32
