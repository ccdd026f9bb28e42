#!/usr/bin/env bash
# Builds the Debian package of Voltora (cpack -G DEB) from the build in build/
# (or $VOLTORA_BUILD_DIR) into build/package/ (or $VOLTORA_PACKAGE_DIR), and
# prints the package's path. Install it with: sudo apt-get install ./voltora_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VOLTORA_BUILD_DIR:-$root/build}"
out="${VOLTORA_PACKAGE_DIR:-$build/package}"
"$root/scripts/setup.sh" >&2
"$root/scripts/build.sh" >&2
rm -f "$out"/voltora_*.deb
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >&2
shopt -s nullglob
packages=("$out"/voltora_*.deb)
if [ ${#packages[@]} -ne 1 ]; then
  echo "package: expected one voltora_*.deb in $out, found ${#packages[@]}" >&2
  exit 1
fi
echo "${packages[0]}"
