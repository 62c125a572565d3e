#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds everything and starts the desktop program against its
# built-in emulated controller (qvm8-zul --simulate). Without a display it says so, writes the
# pictures of the windows into build/screenshots/ instead, and runs the command-line companion
# against the emulator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh xvfb xauth
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

zul=build/src/ui/qvm8-zul
sim=build/tools/sim/qvm8-sim
ctl=build/tools/ctl/qvm8ctl

if [ -x "$zul" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  echo "Starting the desktop program against the emulated controller (qvm8-zul --simulate)."
  exec "$zul" --simulate
fi

if [ -x "$zul" ]; then
  echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the desktop program cannot open"
  echo "its windows here. Writing their pictures into build/screenshots/ instead."
  rm -rf build/screenshots
  QT_QPA_PLATFORM=offscreen "$zul" --simulate --screenshots build/screenshots ||
    echo "Some pictures could not be made (see the messages above)."
  ls build/screenshots
  echo "To see the program itself, run it on a desktop, or through a virtual display:"
  echo "  xvfb-run -a $zul --simulate"
fi

if [ ! -x "$sim" ] || [ ! -x "$ctl" ]; then
  [ -x "$sim" ] || echo "The emulated controller (qvm8-sim) is not built."
  [ -x "$ctl" ] || echo "The command-line companion (qvm8ctl) is not built."
  exit 0
fi

echo
echo "The command-line companion against the emulator:"
tmp=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$tmp"' EXIT
"$sim" --link "$tmp/com1" &
sim_pid=$!
for _ in $(seq 50); do [ -e "$tmp/com1" ] && break; sleep 0.1; done
# The emulator checks block checks like a controller set to use them.
"$ctl" --device "$tmp/com1" --bcc info
out=build/emulator-settings.zul
"$ctl" --device "$tmp/com1" --bcc read-all -o "$out"
echo "Read all settings of the emulated controller into $out ($(wc -c <"$out") bytes)."
