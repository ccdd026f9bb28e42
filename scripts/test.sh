#!/usr/bin/env bash
# Sets everything up, builds, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${VOLTORA_BUILD_DIR:-$root/build}"

# The Debian package from this build: its file list, desktop entry, AppStream
# metadata, icons and manual pages, and its voltora-scpi run from an unpacked
# copy against the simulated meter.
"$root/scripts/check-package.sh"

# The VXI-11 tests register voltora-sim with rpcbind: start it when it is not
# running (as root, or through sudo). Tests that need it fail with a clear
# message when it is still absent.
if ! /usr/sbin/rpcinfo -p 127.0.0.1 >/dev/null 2>&1; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  "${sudo_cmd[@]}" /usr/sbin/rpcbind -w || echo "test: could not start rpcbind" >&2
fi

# The worker and thread tests once more under ThreadSanitizer: a data race
# between a worker and the user-interface side, or between a network call and
# the Close that interrupts it, fails the run.
tsan="${VOLTORA_TSAN_BUILD_DIR:-$root/build-tsan}"
tsan_tests=(platform_tests visa_tests link_tests functions_worker_tests functions_simulator_tests
  visa_network_tests)
if [ ! -f "$tsan/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVOLTORA_TSAN=ON -DVOLTORA_BUILD_GUI=OFF -DVOLTORA_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$tsan" -j"$(nproc)" --target "${tsan_tests[@]}"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir "$tsan" --output-on-failure -j"$(nproc)" \
  -R "^($(IFS='|'; echo "${tsan_tests[*]}"))\\."

# The core and network suites once more under AddressSanitizer and
# UndefinedBehaviorSanitizer: a use after free, an overflow, a leak or any
# undefined behaviour (an out-of-range enum read from a peer included) fails
# the run. They come from the fuzz harnesses' tree (clang, built with both
# sanitizers), so the libraries are compiled once for both.
fuzz="${VOLTORA_FUZZ_BUILD_DIR:-$root/build-fuzz}"
asan_tests=(platform_tests visa_tests visa_network_tests visa_usbtmc_tests link_tests sim_tests
  functions_worker_tests functions_simulator_tests)
VOLTORA_FUZZ_BUILD_DIR="$fuzz" "$root/scripts/fuzz.sh" --build "${asan_tests[@]}"
ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  ctest --test-dir "$fuzz" --output-on-failure -j"$(nproc)" \
  -R "^($(IFS='|'; echo "${asan_tests[*]}"))\\."

# Every fuzz harness briefly (VOLTORA_FUZZ_SECONDS each, 10 by default) from
# its seed corpus; see fuzz/README.md for long runs.
VOLTORA_FUZZ_BUILD_DIR="$fuzz" "$root/scripts/fuzz.sh" "${VOLTORA_FUZZ_SECONDS:-10}"

ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

# The simulator and the front panel once more under a decimal-comma locale
# and under a Turkish one (where 'i' and 'I' are not each other's case): the
# desktop program adopts the user's locale, and neither may change what is
# sent to the meter or how its replies and command words are read.
for test_locale in de_DE.UTF-8 tr_TR.UTF-8; do
  LC_ALL="$test_locale" LANG="$test_locale" \
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" \
    -R '^(sim_tests|panel_skin_tests|panel_layout_tests|panel_window_tests|panel_meter_tests)\.'
done
