#!/usr/bin/env bash
# Sets everything up, builds, and starts Voltora on the simulated meter.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${VOLTORA_BUILD_DIR:-$root/build}"
exec "$build/src/tools/voltora-scpi" "IDN-ZOBR-PRI?" 'FUNC "VOLT:DC"' "FUNCTION?" "DATA:LAST?" "$@"
