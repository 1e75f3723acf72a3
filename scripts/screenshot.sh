#!/usr/bin/env bash
# Regenerates the pictures under docs/: the main window with a small sample
# book, its folder tab on samples/, the windows opened from it (the wizard's
# two steps, the save folder chooser, the chapter editor, the batch import on
# samples/) and the chapter preview of a sample novel, drawn offscreen (no
# display needed). Builds the program first. SCALE=2 draws them at 200 %
# into docs/200/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target vamobook
out="$root/docs"
if [ "${SCALE:-1}" != 1 ]; then
  out="$root/docs/${SCALE}00"
  export QT_SCALE_FACTOR="$SCALE"
fi
mkdir -p "$out"
# No update check: the pictures show the design banner line.
export VAMOBOOK_UPDATE_URL=""
shot() { QT_QPA_PLATFORM=offscreen "$build/bin/vamobook" --screenshot-txt-folder "$root/samples" "$@"; }
shot --screenshot "$out/main-window.png"
shot --screenshot "$out/main-window-folder-tab.png" --screenshot-window folder
shot --screenshot "$out/folder-chooser.png" --screenshot-window Form2
shot --screenshot "$out/chapter-editor.png" --screenshot-window Form3
shot --screenshot "$out/wizard-step-one.png" --screenshot-window Form4
shot --screenshot "$out/wizard-step-two.png" --screenshot-window Form5
shot --screenshot "$out/import-window.png" --screenshot-window Form6
QT_QPA_PLATFORM=offscreen "$build/bin/vamobook" --screenshot-preview "$out/chapter-preview.png"
echo "wrote the pictures of the windows in $out"
