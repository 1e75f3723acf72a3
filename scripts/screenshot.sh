#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the pictures under docs/: the main window with a small sample
# book, its folder tab on samples/, the windows opened from it (the wizard's
# two steps, the save folder chooser, the chapter editor, the batch import on
# samples/) and the chapter preview of a sample novel, drawn offscreen (no
# display needed). Builds the program first. SCALE=2 draws them at 200 %
# into docs/200/.
set -euo pipefail
source "$(dirname "$0")/screenshot-common.bash"
out="$root/docs"
scale="${SCALE:-1}"
if [ "$scale" != 1 ]; then
  out="$root/docs/${scale}00"
  export QT_SCALE_FACTOR="$scale"
fi
mkdir -p "$out"
# The pictures are taken on a 1366x768 screen (2732x1536 at 200 %), as the
# windows are placed there; the offscreen platform's own screen is smaller.
screen="$(mktemp)"
trap 'rm -f "$screen"' EXIT
cat > "$screen" <<JSON
{"screens": [{"name": "shot", "x": 0, "y": 0, "width": $((1366 * scale)), "height": $((768 * scale)),
              "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}
JSON
export QT_QPA_PLATFORM="offscreen:configfile=$screen"
# No update check: the pictures show the design banner line.
export VAMOBOOK_UPDATE_URL=""
shot() { "$build/bin/vamobook" --screenshot-txt-folder "$root/samples" "$@"; }
shot --screenshot "$out/main-window.png"
shot --screenshot "$out/main-window-folder-tab.png" --screenshot-window folder
shot --screenshot "$out/folder-chooser.png" --screenshot-window Form2
shot --screenshot "$out/chapter-editor.png" --screenshot-window Form3
shot --screenshot "$out/wizard-step-one.png" --screenshot-window Form4
shot --screenshot "$out/wizard-step-two.png" --screenshot-window Form5
shot --screenshot "$out/import-window.png" --screenshot-window Form6
"$build/bin/vamobook" --screenshot-preview "$out/chapter-preview.png"
echo "wrote the pictures of the windows in $out"
