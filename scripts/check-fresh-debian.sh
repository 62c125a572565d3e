#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package on a fresh, minimal Debian 12 and uses it there:
#   scripts/check-fresh-debian.sh [PACKAGE.deb]        (default: build-release/qvm8-zul_*.deb)
# Needs root (debootstrap and chroot) and Debian's package mirror. The scratch system lives in a
# temporary folder and is removed afterwards. It checks that
#   - `apt-get install ./qvm8-zul_*.deb` pulls in everything the programs need;
#   - the programs run from the PATH, and the desktop entry's command runs as the menu starts it;
#   - the installed desktop program finds its data: it takes its window pictures against the
#     built-in emulated controller;
#   - `apt-get purge` leaves none of the package's files behind.
set -euo pipefail
cd "$(dirname "$0")/.."

deb="${1:-$(ls build-release/qvm8-zul_*.deb 2>/dev/null | head -1 || true)}"
[ -n "$deb" ] && [ -f "$deb" ] || { echo "check-fresh-debian: no package (run scripts/package.sh)" >&2; exit 64; }
[ "$(id -u)" -eq 0 ] || { echo "check-fresh-debian: needs root for debootstrap and chroot" >&2; exit 77; }
scripts/deps.sh debootstrap

mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"
root=$(mktemp -d /var/tmp/qvm8-fresh.XXXXXX)
cleanup() {
  for m in dev/ptmx dev/pts proc; do umount "$root/$m" 2>/dev/null || true; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "== debootstrap bookworm (minbase) into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -20 "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
echo "deb $mirror bookworm-updates main" >>"$root/etc/apt/sources.list"
# What a booted system has: /proc, and pseudo-terminals (the built-in emulated controller of
# --simulate sits on one). The terminals get an instance of their own, not the host's.
mount -t proc proc "$root/proc"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$root/dev/pts"
mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
  LANG=C.UTF-8 "$@"; }

cp "$deb" "$root/tmp/"
name=$(basename "$deb")
echo "== apt-get install ./$name"
if ! { in_root apt-get update -qq && in_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq "./tmp/$name"; } >"$root/tmp/install.log" 2>&1; then
  tail -20 "$root/tmp/install.log" >&2
  echo "check-fresh-debian: the package did not install" >&2
  exit 1
fi
in_root dpkg -s qvm8-zul | grep -E '^(Status|Version):'

failures=0
check() {
  local what="$1"; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAIL: $what" >&2; failures=$((failures + 1)); fi
}
check "qvm8ctl --help from the PATH" in_root qvm8ctl --help
check "qvm8-sim --help from the PATH" in_root qvm8-sim --help
check "qvm8-assoc is on the PATH" in_root sh -c 'command -v qvm8-assoc'
check "qvm8-zul --version from the PATH" in_root env QT_QPA_PLATFORM=offscreen qvm8-zul --version
check "man page qvm8-zul(1) installed" test -f "$root/usr/share/man/man1/qvm8-zul.1.gz"

# The menu starts the entry's Exec line with the field code removed.
entry="$root/usr/share/applications/com.brantwick.qvm8zul.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$entry" | sed 's/ %[fFuU]//')
check "menu command '$exec_line --version'" in_root env QT_QPA_PLATFORM=offscreen $exec_line --version

shots=$(in_root sh -c 'd=$(mktemp -d) && QT_QPA_PLATFORM=offscreen qvm8-zul --simulate \
  --screenshots "$d" >/dev/null 2>&1 && ls "$d"/*.png | wc -l' || echo 0)
if [ "$shots" -gt 0 ]; then
  echo "ok: installed qvm8-zul --simulate --screenshots wrote $shots pictures"
else
  echo "FAIL: installed qvm8-zul --simulate --screenshots" >&2; failures=$((failures + 1))
fi

files=$(in_root dpkg -L qvm8-zul | while read -r f; do [ -f "$root$f" ] && echo "$f"; done)
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq qvm8-zul >/dev/null
left=$(for f in $files; do [ -e "$root$f" ] && echo "$f"; done || true)
if [ -z "$left" ]; then
  echo "ok: apt-get purge removed all $(wc -w <<<"$files") files"
else
  echo "FAIL: left after purge: $left" >&2; failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] || { echo "check-fresh-debian: $failures check(s) failed" >&2; exit 1; }
echo "check-fresh-debian: all checks passed"
