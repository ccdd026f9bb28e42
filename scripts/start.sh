#!/usr/bin/env bash
# Sets everything up, builds, and starts Voltora on the simulated meter.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${VOLTORA_BUILD_DIR:-$root/build}"
# Without a desktop session the program runs on a virtual X server, where
# nobody sees it; end it with Ctrl+C.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  echo "start: no display; running Voltora on a virtual X server (Ctrl+C ends it)" >&2
  exec xvfb-run -a "$build/src/app/voltora" --simulate "$@"
fi
exec "$build/src/app/voltora" --simulate "$@"
