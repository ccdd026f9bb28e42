#!/usr/bin/env bash
# Sets everything up, builds, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${VOLTORA_BUILD_DIR:-$root/build}"

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

ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
