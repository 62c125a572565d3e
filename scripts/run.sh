#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the tool against the built-in emulated
# controller. Until the desktop program exists this runs the command-line companion against the
# emulator; programs not built yet are reported as such.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

sim=build/tools/sim/qvm8-sim
ctl=build/tools/ctl/qvm8ctl
if [ ! -x "$sim" ] || [ ! -x "$ctl" ]; then
  echo
  echo "Built:"
  for f in build/tools/*/qvm8* build/tests/test_*; do
    [ -x "$f" ] && echo "  $f"
  done
  [ -x "$sim" ] || echo "The emulated controller (qvm8-sim) is not built yet."
  [ -x "$ctl" ] || echo "The command-line companion (qvm8ctl) is not built yet."
  echo "Run the tests with scripts/test.sh."
  exit 0
fi

tmp=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$tmp"' EXIT
"$sim" --link "$tmp/com1" &
sim_pid=$!
for _ in $(seq 50); do [ -e "$tmp/com1" ] && break; sleep 0.1; done
# The emulator checks block checks like a controller set to use them.
"$ctl" --device "$tmp/com1" --bcc info
"$ctl" --device "$tmp/com1" --bcc read-all -o "$tmp/controller.zul"
echo "Read all settings into $tmp/controller.zul ($(wc -c <"$tmp/controller.zul") bytes)."
