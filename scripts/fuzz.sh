#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, into build-fuzz/) and runs each for
# the given number of seconds, starting from its seed corpus in
# fuzz/corpus/<harness>/, as many at a time as there are processors
# (VOLTORA_FUZZ_JOBS). New inputs go to build-fuzz/corpus/<harness>/; a
# crash, leak or time-out fails the run and leaves its input in
# build-fuzz/findings/. Optional further arguments name the harnesses to run.
#   fuzz.sh --build [TARGET ...]  only builds the harnesses and the named
#                                 targets of the same tree (the test script
#                                 runs the core suites from it), runs nothing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
fuzz="${VOLTORA_FUZZ_BUILD_DIR:-$root/build-fuzz}"
if [ ! -f "$fuzz/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVOLTORA_FUZZ=ON -DVOLTORA_BUILD_GUI=OFF -DVOLTORA_BUILD_BENCH=OFF >/dev/null
fi
if [ "${1:-}" = "--build" ]; then
  shift
  cmake --build "$fuzz" -j"$(nproc)" --target voltora_fuzzers "$@"
  exit 0
fi
seconds="${1:-15}"
shift || true
cmake --build "$fuzz" -j"$(nproc)" --target voltora_fuzzers
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  for seeds in "$root"/fuzz/corpus/*/; do
    harnesses+=("$(basename "$seeds")")
  done
fi
jobs="${VOLTORA_FUZZ_JOBS:-$(nproc)}"
mkdir -p "$fuzz/findings"

# One harness; its exit status is the harness's.
run_one() {
  local name="$1"
  mkdir -p "$fuzz/corpus/$name"
  "$fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$fuzz/findings/$name-" \
    "$fuzz/corpus/$name" "$root/fuzz/corpus/$name" >"$fuzz/findings/$name.log" 2>&1
}

# The harnesses in batches of `jobs`; every one of a batch is waited for and
# reported, and the first that failed ends the run after its batch.
failed=()
for ((first = 0; first < ${#harnesses[@]}; first += jobs)); do
  batch=("${harnesses[@]:first:jobs}")
  pids=()
  for name in "${batch[@]}"; do
    echo "fuzz: $name for ${seconds} s"
    run_one "$name" &
    pids+=($!)
  done
  for i in "${!batch[@]}"; do
    name="${batch[$i]}"
    status=0
    wait "${pids[$i]}" || status=$?
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY)' \
      "$fuzz/findings/$name.log" | sed "s/^/$name: /" || true
    if [ "$status" -ne 0 ]; then
      tail -n 40 "$fuzz/findings/$name.log" >&2
      echo "fuzz: $name failed (exit $status); its input is in $fuzz/findings/" >&2
      failed+=("$name")
    fi
  done
  if [ ${#failed[@]} -ne 0 ]; then
    exit 1
  fi
done
