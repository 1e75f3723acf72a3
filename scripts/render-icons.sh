#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program's icon desktop/icons/vamobook.svg into the PNG sizes
# beside it (window icon and hicolor theme). Run after editing the SVG and
# commit the PNGs. Needs rsvg-convert (librsvg2-bin, see setup.sh).
set -euo pipefail
icons="$(cd "$(dirname "$0")/../desktop/icons" && pwd)"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$icons/vamobook.svg" -o "$icons/$size.png"
done
echo "rendered $(ls "$icons"/*.png | wc -l) sizes into $icons"
