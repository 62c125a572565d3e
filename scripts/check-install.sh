#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks an installation and the Debian package made from a build folder:
#   scripts/check-install.sh BUILD_DIR [PACKAGE.deb]
# 1. installs the build into a scratch DESTDIR (prefix /usr) and checks that every expected file
#    is there, validates the desktop entry, the AppStream metadata and the MIME package, runs the
#    installed programs (qvm8ctl --help, qvm8-zul --version, qvm8-assoc in a scratch desktop);
# 2. checks the package (default: BUILD_DIR/qvm8-zul_*.deb) with dpkg-deb (files, Depends) and
#    lintian (no errors; the warnings are listed).
# The desktop program's files are expected when the build has the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:?usage: scripts/check-install.sh BUILD_DIR [PACKAGE.deb]}"
deb="${2:-}"
[ -d "$build" ] || { echo "check-install: no build folder $build" >&2; exit 64; }
scripts/deps.sh --packaging

failures=0
fail() { echo "check-install: FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "check-install: ok: $*"; }

app_id=com.brantwick.qvm8zul
with_ui=0
[ -x "$build/src/ui/qvm8-zul" ] && with_ui=1
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"

# 1. The installed tree.
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/usr"

expected=(
  bin/qvm8ctl bin/qvm8-sim bin/qvm8-assoc bin/qvm8-station
  lib/systemd/system/qvm8-station@.service share/man/man1/qvm8-station.1.gz
  share/doc/qvm8-zul/station.md
  share/qvm8-zul/default.frs
  share/mime/packages/qvm8-zul.xml
  lib/udev/rules.d/60-qvm8-zul.rules
  share/man/man1/qvm8ctl.1.gz share/man/man1/qvm8-sim.1.gz share/man/man1/qvm8-assoc.1.gz
  share/doc/qvm8-zul/README.md share/doc/qvm8-zul/LICENSE share/doc/qvm8-zul/copyright
  share/doc/qvm8-zul/changelog.gz
)
if [ -d "$build/tools/pictures/image" ]; then
  expected+=(
    share/qvm8-zul/image/00000.jpg share/qvm8-zul/image/xx011.jpg share/qvm8-zul/image/xx0gg.jpg
    share/qvm8-zul/image/xx068.jpg share/qvm8-zul/image/ns000.jpg share/qvm8-zul/image/fr045.jpg
    share/qvm8-zul/image/fs034.jpg share/qvm8-zul/image/splash.png
    share/icons/hicolor/48x48/apps/$app_id.png share/icons/hicolor/128x128/apps/$app_id.png
    share/icons/hicolor/256x256/apps/$app_id.png share/icons/hicolor/scalable/apps/$app_id.svg
  )
  count=$(find "$usr/share/qvm8-zul/image" -name '*.jpg' | wc -l)
  # 16 x 16 combinations, 2 x 2 x 16 single-output pictures, the two-head picture.
  [ "$count" -eq 321 ] && pass "321 output pictures" || fail "$count output pictures, expected 321"
fi
if [ "$with_ui" -eq 1 ]; then
  expected+=(bin/qvm8-zul share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml
             share/man/man1/qvm8-zul.1.gz)
fi
for f in "${expected[@]}"; do
  [ -e "$usr/$f" ] || fail "missing /usr/$f"
done
pass "${#expected[@]} expected files checked"

xmllint --noout "$usr/share/mime/packages/qvm8-zul.xml" && pass "MIME package is well-formed" ||
  fail "xmllint on the MIME package"
# The installed copies where the build installs them (with the desktop program), else the ones
# the build made.
desktop_entry="$usr/share/applications/$app_id.desktop"
[ -e "$desktop_entry" ] || desktop_entry="$PWD/data/$app_id.desktop"
desktop-file-validate "$desktop_entry" && pass "desktop entry valid" ||
  fail "desktop-file-validate"
metainfo="$usr/share/metainfo/$app_id.metainfo.xml"
[ -e "$metainfo" ] || metainfo="$build/packaging/$app_id.metainfo.xml"
if appstreamcli validate --no-net "$metainfo"; then
  pass "AppStream metadata valid"
else
  fail "appstreamcli validate"
fi
grep -q "<release version=\"$version\"" "$metainfo" && pass "AppStream release $version" ||
  fail "AppStream metadata has no release $version"
for page in "$usr"/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null || echo "man failed")
  [ -z "$warnings" ] || fail "man on $(basename "$page"): $warnings"
done

"$usr/bin/qvm8ctl" --help >/dev/null && pass "installed qvm8ctl --help" || fail "qvm8ctl --help"
"$usr/bin/qvm8-sim" --help >/dev/null && pass "installed qvm8-sim --help" || fail "qvm8-sim --help"
if [ "$with_ui" -eq 1 ]; then
  out=$(QT_QPA_PLATFORM=offscreen "$usr/bin/qvm8-zul" --version) || fail "qvm8-zul --version"
  case "$out" in *"$version"*) pass "installed qvm8-zul --version: $out" ;;
                 *) fail "qvm8-zul --version printed '$out', not $version" ;; esac
fi

# The installed association tool: exit codes, and an entry that points at the installed program
# and the installed theme icon.
desk="$scratch/desktop"
set +e
XDG_DATA_HOME="$desk" "$usr/bin/qvm8-assoc" $$ /register; reg=$?
set -e
entry="$desk/applications/$app_id.desktop"
if [ "$reg" -eq 1 ] && [ -f "$entry" ] && grep -qx "Icon=$app_id" "$entry"; then
  pass "installed qvm8-assoc registers (exit 1), icon from the theme"
else
  fail "qvm8-assoc /register gave $reg"; cat "$entry" >&2 2>/dev/null || true
fi
if [ "$with_ui" -eq 1 ]; then
  grep -qx "Exec=$usr/bin/qvm8-zul %f" "$entry" && pass "association opens the installed qvm8-zul" ||
    fail "association Exec line: $(grep ^Exec= "$entry")"
fi
set +e
XDG_DATA_HOME="$desk" "$usr/bin/qvm8-assoc" $$ /unregister; unreg=$?
set -e
[ "$unreg" -eq 2 ] && [ ! -e "$entry" ] && pass "installed qvm8-assoc unregisters (exit 2)" ||
  fail "qvm8-assoc /unregister gave $unreg"

# 2. The package.
if [ -z "$deb" ]; then
  deb=$(ls "$build"/qvm8-zul_*.deb 2>/dev/null | head -1 || true)
fi
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  fail "no package in $build (run scripts/package.sh)"
else
  contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#')
  for f in "${expected[@]}"; do
    grep -qx "/usr/$f" <<<"$contents" || fail "package lacks /usr/$f"
  done
  pass "package holds the expected files"
  [ "$(dpkg-deb -f "$deb" Package)" = qvm8-zul ] || fail "package name"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
  [ "$(dpkg-deb -f "$deb" Section)" = science ] || fail "package section"
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "check-install: Depends: $depends"
  echo "check-install: Recommends: $(dpkg-deb -f "$deb" Recommends)"
  echo "check-install: size: $(stat -c %s "$deb") bytes ($deb)"
  grep -q "libc6" <<<"$depends" || fail "Depends lacks libc6"
  if [ "$with_ui" -eq 1 ]; then
    for lib in libqt6core6 libqt6gui6 libqt6widgets6; do
      grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib"
    done
  fi
  grep -q libftdi1-2 <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "libftdi1-2 not recommended"
  grep -q mosquitto-clients <<<"$(dpkg-deb -f "$deb" Recommends)" ||
    fail "mosquitto-clients not recommended"
  lintian_out="$scratch/lintian.txt"
  set +e
  lintian --fail-on error "$deb" >"$lintian_out" 2>&1; lintian_rc=$?
  set -e
  if [ "$lintian_rc" -ne 0 ] || grep -q '^E:' "$lintian_out"; then
    fail "lintian reports errors"
  else
    pass "lintian: no errors"
  fi
  sed 's/^/check-install: lintian: /' "$lintian_out"
fi

if [ "$failures" -ne 0 ]; then
  echo "check-install: $failures check(s) failed" >&2
  exit 1
fi
echo "check-install: all checks passed"
