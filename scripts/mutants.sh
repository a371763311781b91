#!/usr/bin/env bash
# Applies each mutation of tests/mutants.txt alone to a scratch copy of the tree,
# rebuilds the in-process tests there and runs them under Wine: a mutation the
# tests fail on is killed, one they pass survived.
# Usage: scripts/mutants.sh [TEXT]   (only the lines that contain TEXT;
# MUTANTS_LIST names another list of the same form)
# MUTANTS_DIR (default build/mutants) holds the copy and its build, kept
# between runs so that rebuilds are incremental; MUTANTS_TIMEOUT (seconds,
# default 300) bounds each test run, and a run that exceeds it counts as killed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=${MUTANTS_LIST:-$root/tests/mutants.txt}
scratch=${MUTANTS_DIR:-$root/build/mutants}
src=$scratch/src
bld=$src/build/mingw
limit=${MUTANTS_TIMEOUT:-300}
only=${1:-}
# shellcheck source=/dev/null
source "$root/scripts/wine-env.sh"

sync_tree() { # copies only what differs, with a fresh time, so the build notices exactly that
  local f
  mkdir -p "$src"
  while IFS= read -r -d '' f; do
    cmp -s "$root/$f" "$src/$f" || { mkdir -p "$src/${f%/*}" && cp "$root/$f" "$src/$f"; }
  done < <(cd "$root" && find . \( -path ./build -o -path ./.git \) -prune -o -type f -print0)
  while IFS= read -r -d '' f; do
    [[ -e $root/$f ]] || rm -f "$src/$f"
  done < <(cd "$src" && find . -path ./build -prune -o -type f -print0)
}

build() { nice cmake --build "$bld" --target lullwick_tests >"$scratch/build.log" 2>&1; }

run_tests() { # [FILTER]: 0 when every test passed
  local filter=(); [[ -n ${1:-} ]] && filter=(--gtest_filter="$1")
  (cd "$bld/tests" && timeout "$limit" "$src/cmake/wine-run.sh" "$bld" "$bld/tests/lullwick_tests.exe" \
    "${filter[@]}" </dev/null >"$scratch/test.log" 2>&1) # not the list being read
  local rc=$?
  # A run cut short leaves its Windows process behind in the prefix.
  ((rc == 124)) && WINEPREFIX=$bld/wineprefix wineserver -k 2>/dev/null
  return "$rc"
}

# Replaces the one occurrence of TEXT in FILE; fails, saying how many there are, otherwise.
mutate() { # FILE TEXT REPLACEMENT
  python3 - "$@" <<'EOF'
import sys
path, text, replacement = sys.argv[1:4]
with open(path, encoding='utf-8', newline='') as f:
    source = f.read()
count = source.count(text)
if count != 1:
    print(f'found {count} times')
    sys.exit(1)
with open(path, 'w', encoding='utf-8', newline='') as f:
    f.write(source.replace(text, replacement))
EOF
}

trap 'lullwick_stop_wine "$bld"' EXIT
sync_tree
(cd "$src" && cmake --preset mingw >"$scratch/configure.log" 2>&1) || { echo "configure failed: $scratch/configure.log"; exit 2; }
build || { echo "the unmutated tree does not build: $scratch/build.log"; exit 2; }
run_tests || { echo "the unmutated tests fail: $scratch/test.log"; exit 2; }

killed=0 survived=0 broken=0 number=0
while IFS= read -r line || [[ -n $line ]]; do
  number=$((number + 1))
  [[ -z $line || $line == \#* ]] && continue
  [[ -n $only && $line != *"$only"* ]] && continue
  mapfile -td $'\t' fields < <(printf '%s' "$line")
  file=${fields[0]} text=${fields[1]:-} replacement=${fields[2]:-} filter=${fields[3]:-}
  what="mutants.txt:$number $file: '$text' -> '$replacement'"
  tabs=${line//[^$'\t']/}
  if ((${#tabs} < 2 || ${#tabs} > 3)) || [[ -z $text ]]; then
    echo "ERROR     $what: needs file, text, replacement and an optional filter, TAB-separated"
    broken=$((broken + 1)); continue
  fi
  if [[ ! -f $src/$file ]]; then
    echo "ERROR     $what: no such file"; broken=$((broken + 1)); continue
  fi
  if ! why=$(mutate "$src/$file" "$text" "$replacement"); then
    echo "ERROR     $what: the text must occur exactly once, $why"; broken=$((broken + 1)); continue
  fi
  if ! build; then
    echo "killed (build)    $what"; killed=$((killed + 1))
  else
    run_tests "$filter"
    case $? in
      0) echo "SURVIVED          $what"; survived=$((survived + 1)) ;;
      124) echo "killed (timeout)  $what"; killed=$((killed + 1)) ;;
      *) echo "killed            $what"; killed=$((killed + 1)) ;;
    esac
  fi
  cp "$root/$file" "$src/$file"
done <"$list"

echo "$killed killed, $survived survived"
((broken)) && echo "$broken lines of tests/mutants.txt could not be applied"
((survived == 0 && broken == 0))
