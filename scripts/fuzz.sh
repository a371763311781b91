#!/usr/bin/env bash
# Builds the fuzzers natively with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time, from the
# committed seed corpus; any finding fails.  FUZZ_SECONDS sets the time.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
out=build/fuzz
mkdir -p "$out"
flags=(-std=c++20 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
clang++ "${flags[@]}" tests/fuzz/split_fuzzer.cpp app/Options.cpp tests/fuzz/text_iconv.cpp -o "$out/split_fuzzer"
clang++ "${flags[@]}" tests/fuzz/option_fuzzer.cpp app/Options.cpp tests/fuzz/text_iconv.cpp -o "$out/option_fuzzer"
clang++ "${flags[@]}" tests/fuzz/number_fuzzer.cpp components/editupdown/NumberConversion.cpp -o "$out/number_fuzzer"
pids=()
for name in split option number; do
  mkdir -p "$out/corpus-$name"
  (cd "$out" && ./"${name}_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
     "corpus-$name" "../../tests/fuzz/corpus/$name" >"$name.log" 2>&1) &
  pids+=($!)
done
failed=0
for i in 0 1 2; do
  name=$(echo split option number | cut -d' ' -f$((i + 1)))
  if wait "${pids[$i]}"; then
    echo "fuzz $name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$out/$name.log" | grep -o '[0-9]*$') runs, no finding"
  else
    echo "fuzz $name: FINDING, see $out/$name.log" >&2
    tail -30 "$out/$name.log" >&2
    failed=1
  fi
done
exit $failed
