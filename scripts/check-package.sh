#!/usr/bin/env bash
# Builds the Debian package from the existing build and checks what it holds:
# every file a desktop install needs, a valid desktop entry and AppStream
# metadata, icons of the size their folder names, manual pages that render
# without warnings, and programs that run from an unpacked copy.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VOLTORA_BUILD_DIR:-$root/build}"
app_id=org.voltora.Voltora

failures=0
fail() {
  echo "check-package: $*" >&2
  failures=$((failures + 1))
}

deb="$("$root/scripts/package.sh")"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Name, version and the dependencies dpkg-shlibdeps found in the binaries.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ "$(dpkg-deb -f "$deb" Package)" = voltora ] || fail "package name is not voltora"
case "$(dpkg-deb -f "$deb" Version)" in
  "$version"-*) ;;
  *) fail "package version $(dpkg-deb -f "$deb" Version) is not the project's $version" ;;
esac
depends="$(dpkg-deb -f "$deb" Depends)"
for library in libqt6widgets6 libusb-1.0-0 libtirpc3 libc6; do
  grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
long_lines="$(dpkg-deb -f "$deb" Description | awk 'length > 80')"
[ -z "$long_lines" ] || fail "description lines longer than 80 characters: $long_lines"
for script in postinst postrm; do
  dpkg-deb --info "$deb" "$script" >/dev/null 2>&1 || fail "no $script in the package"
done

# Every piece is in the file list.
dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$scratch/files"
expected=(
  /usr/bin/voltora /usr/bin/voltora-scpi /usr/bin/voltora-sim /usr/bin/Voltora.html
  /usr/lib/udev/rules.d/60-voltora-usbtmc.rules
  "/usr/share/applications/$app_id.desktop"
  "/usr/share/metainfo/$app_id.metainfo.xml"
  "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
)
for size in 16 22 24 32 48 64 128 256 512; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
# A manual page for every program in the package.
programs=()
while read -r program; do
  programs+=("$program")
  expected+=("/usr/share/man/man1/$program.1.gz")
done < <(grep '^/usr/bin/voltora[^.]*$' "$scratch/files" | xargs -n1 basename)
[ ${#programs[@]} -ge 3 ] || fail "only ${#programs[@]} programs in /usr/bin"
for file in "${expected[@]}"; do
  grep -qxF "$file" "$scratch/files" || fail "missing from the package: $file"
done

root_dir="$scratch/root"
dpkg-deb -x "$deb" "$root_dir"

cmp -s "$root/packaging/udev/60-voltora-usbtmc.rules" \
  "$root_dir/usr/lib/udev/rules.d/60-voltora-usbtmc.rules" || fail "udev rule differs from packaging/udev"

desktop-file-validate "$root_dir/usr/share/applications/$app_id.desktop" || fail "desktop entry not valid"
grep -qx "Exec=voltora" "$root_dir/usr/share/applications/$app_id.desktop" || fail "desktop entry does not run voltora"
grep -qx "Icon=$app_id" "$root_dir/usr/share/applications/$app_id.desktop" || fail "desktop entry names another icon"

metainfo="$root_dir/usr/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$scratch/appstream" 2>&1 ||
  { cat "$scratch/appstream" >&2; fail "AppStream metadata not valid"; }
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo release is not $version"
for program in "${programs[@]}"; do
  grep -q "<binary>$program</binary>" "$metainfo" || fail "metainfo does not name $program"
done

# Each PNG icon has the size its folder says.
for png in "$root_dir"/usr/share/icons/hicolor/*x*/apps/"$app_id".png; do
  size="$(basename "$(dirname "$(dirname "$png")")")"
  file -b "$png" | grep -q "PNG image data, ${size/x/ x }, 8-bit/color RGBA" ||
    fail "$png is not an RGBA PNG of $size: $(file -b "$png")"
done
grep -q '<svg' "$root_dir/usr/share/icons/hicolor/scalable/apps/$app_id.svg" 2>/dev/null ||
  fail "scalable icon is not SVG"

# The unpacked command-line client talks to the simulated meter.
reply="$("$root_dir/usr/bin/voltora-scpi" --resource SIM0::ZAN::INSTR "IDN-ZOBR-PRI?" 2>&1)" ||
  fail "unpacked voltora-scpi failed: $reply"
[[ "$reply" =~ ^ZAN,[^,]+,[^,]+,[^,]+$ ]] || fail "unpacked voltora-scpi answered: $reply"
"$root_dir/usr/bin/voltora" --version | grep -qx "Voltora, Version $version" ||
  fail "unpacked voltora --version is not $version"

# The maintainer scripts reload udev only when it runs: with a stand-in
# udevadm, none is called without /run/udev/control, and in a mount namespace
# with a control socket the post-install step reloads and re-triggers while
# the post-removal step reloads. Both always succeed.
control_dir="$scratch/control"
dpkg-deb -e "$deb" "$control_dir"
mkdir -p "$scratch/bin"
printf '#!/bin/sh\necho "udevadm $*" >>"%s"\nexit 1\n' "$scratch/udevadm.log" >"$scratch/bin/udevadm"
chmod 755 "$scratch/bin/udevadm"
run_scripts() {
  PATH="$scratch/bin:$PATH" sh "$control_dir/postinst" configure &&
    PATH="$scratch/bin:$PATH" sh "$control_dir/postrm" remove
}
if [ ! -e /run/udev/control ]; then
  : >"$scratch/udevadm.log"
  run_scripts || fail "maintainer scripts fail without udev"
  [ ! -s "$scratch/udevadm.log" ] || fail "maintainer scripts call udevadm without udev: $(cat "$scratch/udevadm.log")"
fi
if unshare -m true 2>/dev/null; then
  : >"$scratch/udevadm.log"
  export -f run_scripts
  export scratch control_dir
  unshare -m bash -c 'mount -t tmpfs tmpfs /run && mkdir /run/udev &&
    python3 -c "import socket; socket.socket(socket.AF_UNIX).bind(\"/run/udev/control\")" &&
    run_scripts' || fail "maintainer scripts fail with udev running"
  expected_calls="udevadm control --reload-rules
udevadm trigger --action=change --subsystem-match=usb --subsystem-match=usbmisc
udevadm control --reload-rules"
  [ "$(cat "$scratch/udevadm.log")" = "$expected_calls" ] ||
    fail "maintainer scripts with udev running called: $(cat "$scratch/udevadm.log")"
else
  echo "check-package: no mount namespace here; the udev-running branch of the maintainer scripts is not checked" >&2
fi

# Manual pages render without warnings and name their program.
for program in "${programs[@]}"; do
  page="$root_dir/usr/share/man/man1/$program.1.gz"
  [ -f "$page" ] || continue
  warnings="$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$program.1 renders with warnings: $warnings"
  text="$(MANWIDTH=80 man -l "$page" 2>/dev/null)"
  grep -Eq "^ +$program +- " <<<"$text" || fail "$program.1 has no NAME line for $program"
  grep -q -- "--help" <<<"$text" || fail "$program.1 lists no options"
done

if [ "$failures" -ne 0 ]; then
  echo "check-package: $failures check(s) failed for $deb" >&2
  exit 1
fi
echo "check-package: $(basename "$deb") holds ${#expected[@]} checked files; all checks passed"
