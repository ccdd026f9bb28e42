#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt that are missing,
# and the decimal-comma locale the tests use. Quiet when everything is present.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

missing=()
while read -r pkg; do
  pkg="${pkg%%#*}"
  pkg="$(echo "$pkg" | tr -d '[:space:]')"
  [ -n "$pkg" ] || continue
  status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
  if [ "$status" != "install ok installed" ]; then
    missing+=("$pkg")
  fi
done < "$here/debian-packages.txt"

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A locale with a decimal comma, so tests can prove numbers stay in the C
# locale, and a Turkish one, where 'i' and 'I' are not each other's case, so
# tests can prove command words are folded as ASCII.
for wanted in de_DE tr_TR; do
  if ! locale -a 2>/dev/null | grep -qi "^${wanted}\.utf-\?8\$"; then
    echo "setup: generating ${wanted}.UTF-8"
    if [ -f /etc/locale.gen ] && ! grep -q "^${wanted}.UTF-8 UTF-8" /etc/locale.gen; then
      echo "${wanted}.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${sudo_cmd[@]}" locale-gen >/dev/null
  fi
done
