#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program's icon desktop/icons/vamobook.svg into the PNG sizes
# beside it (window icon and hicolor theme) and the Windows icon
# vamobook.ico (the PNGs in one file, for the programs and the installer). Run
# after editing the SVG and commit what it writes. Needs rsvg-convert
# (librsvg2-bin, see setup.sh) and icotool (icoutils).
set -euo pipefail
icons="$(cd "$(dirname "$0")/../desktop/icons" && pwd)"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$icons/vamobook.svg" -o "$icons/$size.png"
done
(cd "$icons" && icotool -c -o vamobook.ico 16.png 24.png 32.png 48.png 64.png 128.png -r 256.png)
echo "rendered $(ls "$icons"/*.png | wc -l) sizes into $icons"
