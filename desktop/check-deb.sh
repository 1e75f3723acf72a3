#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with cpack and checks its dependencies and that
# it carries the programs, templates and desktop files under /usr.
# Usage: check-deb.sh BUILD_DIR APP_ID
set -euo pipefail
build="$1" id="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >/dev/null) || fail "cpack -G DEB failed"
rm -rf "$out/_CPack_Packages"
debs=("$out"/*.deb)
[ "${#debs[@]}" = 1 ] && [ -f "${debs[0]}" ] || fail "expected one package in $out"
deb="${debs[0]}"

info="$(dpkg-deb -I "$deb")"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for dep in libqt6widgets6 libqt6core6 libzip4 libicu qt6-translations-l10n libc6; do
  grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep"
done
[ "$(dpkg-deb -f "$deb" Package)" = vamobook ] || fail "package name"
grep -q '^ Maintainer:' <<<"$info" || fail "no maintainer"

files="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for f in ./usr/bin/vamobook ./usr/bin/vamobook-cli ./usr/share/vamobook/DuvEver.dll \
         ./usr/share/vamobook/DuvEverMoto.dll "./usr/share/applications/$id.desktop" \
         "./usr/share/metainfo/$id.metainfo.xml" "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
         "./usr/share/icons/hicolor/48x48/apps/$id.png"; do
  grep -qx -- "$f" <<<"$files" || fail "package lacks $f"
done
grep -q '^./usr/share/man/man1/vamobook-cli.1' <<<"$files" || fail "package lacks the man page"
# Nothing of the build or test machinery goes into the package.
if grep -Eq 'tests|bench|_test' <<<"$files"; then fail "package carries test files"; fi
echo "package complete"
