#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks that a desktop finds
# everything it needs there: programs, reader templates, menu entry (valid,
# naming an installed program and icon), icons, metainfo and the man page.
# Usage: check-install.sh BUILD_DIR APP_ID BINDIR DATADIR MANDIR
set -euo pipefail
build="$1" id="$2" bindir="$3" datadir="$4" mandir="$5"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in "$bindir/vamobook" "$bindir/vamobook-cli"; do
  [ -x "$prefix/$f" ] || fail "$f is not an installed program"
done
for f in DuvEver.dll DuvEverMoto.dll; do
  [ -s "$prefix/$datadir/vamobook/$f" ] || fail "reader template $f missing"
done

# The installed program keeps its files in the user's data folder, never
# beside itself, even where it could write there (as root into /usr/bin).
home="$prefix/home"
mkdir -p "$home"
printf 'one\r\n' >"$home/one.txt"
HOME="$home" XDG_DATA_HOME="" "$prefix/$bindir/vamobook-cli" make "$home/one.txt" >"$home/out" 2>&1 ||
  fail "the installed command line made no book: $(cat "$home/out")"
[ -e "$prefix/$bindir/jar" ] && fail "the installed program wrote its jar/ folder beside itself"
grep -q "^$home/.local/share/vamobook-cli/jar/one/" "$home/out" || fail "book not in the data folder: $(cat "$home/out")"

entry="$prefix/$datadir/applications/$id.desktop"
[ -f "$entry" ] || fail "menu entry missing"
desktop-file-validate "$entry" || fail "menu entry does not validate"
exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")"
[ -x "$prefix/$bindir/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
icon="$(sed -n 's/^Icon=//p' "$entry")"
[ "$icon" = "$id" ] || fail "Icon=$icon is not the program's icon name"
grep -q '^Name=.*手机电子书' "$entry" || fail "menu entry has no Chinese name"

hicolor="$prefix/$datadir/icons/hicolor"
[ -f "$hicolor/scalable/apps/$icon.svg" ] || fail "scalable icon missing"
for size in 16 32 48 64 128 256; do
  png="$hicolor/${size}x${size}/apps/$icon.png"
  [ -f "$png" ] || fail "icon ${size}x${size} missing"
  # The PNG header holds width and height as big-endian words at 16 and 20.
  dims="$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')"
  [ "$dims" = "${size}x${size}" ] || fail "icon ${size}x${size} is $dims"
done

metainfo="$prefix/$datadir/metainfo/$id.metainfo.xml"
[ -f "$metainfo" ] || fail "metainfo missing"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "metainfo does not name the menu entry"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "metainfo does not validate"

page="$prefix/$mandir/man1/vamobook-cli.1"
[ -f "$page" ] || fail "man page missing"
grep -q '^\.TH VAMOBOOK-CLI' "$page" || fail "man page has no title line"
# roff writes a hyphen as \-; the page documents both commands and options.
text="$(sed 's/\\-/-/g' "$page")"
for word in 'vamobook-cli make' 'vamobook-cli folder' --save-folder --jar-size --naming 把TXT文本; do
  grep -q -- "$word" <<<"$text" || fail "man page does not mention $word"
done
[ -f "$prefix/$datadir/doc/vamobook/LICENSE" ] || fail "LICENSE missing"
echo "installed tree complete"
