#!/usr/bin/env bash
# Regenerates the pictures under docs/: the main window with a small sample
# book, the wizard's two steps opened on it and the chapter preview of a
# sample novel, drawn offscreen (no display needed). Builds the program first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target vamobook
mkdir -p "$root/docs"
# No update check: the pictures show the design banner line.
export VAMOBOOK_UPDATE_URL=""
QT_QPA_PLATFORM=offscreen "$build/bin/vamobook" --screenshot "$root/docs/main-window.png"
QT_QPA_PLATFORM=offscreen "$build/bin/vamobook" --screenshot "$root/docs/wizard-step-one.png" --screenshot-window Form4
QT_QPA_PLATFORM=offscreen "$build/bin/vamobook" --screenshot "$root/docs/wizard-step-two.png" --screenshot-window Form5
QT_QPA_PLATFORM=offscreen "$build/bin/vamobook" --screenshot-preview "$root/docs/chapter-preview.png"
echo "wrote main-window.png, wizard-step-one.png, wizard-step-two.png and chapter-preview.png in $root/docs"
