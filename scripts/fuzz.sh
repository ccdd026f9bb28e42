#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, into build-fuzz/) and runs each for
# the given number of seconds, starting from its seed corpus in
# fuzz/corpus/<harness>/. New inputs go to build-fuzz/corpus/<harness>/;
# a crash, leak or time-out stops the run and leaves its input in
# build-fuzz/findings/. Optional further arguments name the harnesses to run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-15}"
shift || true
fuzz="${VOLTORA_FUZZ_BUILD_DIR:-$root/build-fuzz}"
if [ ! -f "$fuzz/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVOLTORA_FUZZ=ON -DVOLTORA_BUILD_GUI=OFF -DVOLTORA_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$fuzz" -j"$(nproc)" --target voltora_fuzzers
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  for seeds in "$root"/fuzz/corpus/*/; do
    harnesses+=("$(basename "$seeds")")
  done
fi
mkdir -p "$fuzz/findings"
for name in "${harnesses[@]}"; do
  mkdir -p "$fuzz/corpus/$name"
  echo "fuzz: $name for ${seconds} s"
  status=0
  "$fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$fuzz/findings/$name-" \
    "$fuzz/corpus/$name" "$root/fuzz/corpus/$name" >"$fuzz/findings/$name.log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY)' \
    "$fuzz/findings/$name.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$fuzz/findings/$name.log" >&2
    echo "fuzz: $name failed (exit $status); its input is in $fuzz/findings/" >&2
    exit 1
  fi
done
