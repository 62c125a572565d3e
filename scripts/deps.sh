#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build and the tests need, only those that are missing
# (poppler-utils: the GUI tests read printed PDF pages back with pdftotext; libmosquitto-dev and
# libsystemd-dev: the station program; mosquitto and mosquitto-clients: its tests start a real
# broker on 127.0.0.1 and read what it publishes).
# Works as root and through sudo. Usage: scripts/deps.sh [--packaging] [extra packages...]
#   --packaging  also what building and checking the Debian package needs (scripts/package.sh,
#                scripts/check-install.sh) and the file-type tests: dpkg-dev and file for the
#                dependency detection, the desktop-file, AppStream and XML validators, lintian,
#                shared-mime-info.
set -euo pipefail

packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev pkg-config
          qt6-base-dev libqcustomplot-dev libgl-dev libxkbcommon-dev fonts-dejavu-core
          poppler-utils libmosquitto-dev libsystemd-dev mosquitto mosquitto-clients)
packaging=(dpkg-dev file desktop-file-utils appstream libxml2-utils lintian shared-mime-info)
for arg in "$@"; do
  case "$arg" in
    --packaging) packages+=("${packaging[@]}") ;;
    -*) echo "deps.sh: unknown option $arg" >&2; exit 64 ;;
    *) packages+=("$arg") ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo_cmd=()
elif command -v sudo >/dev/null 2>&1; then
  sudo_cmd=(sudo)
else
  echo "deps.sh: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi
echo "deps.sh: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
