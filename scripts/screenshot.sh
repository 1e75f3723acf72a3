#!/usr/bin/env bash
# Regenerates docs/main-window.png (the main window with a small sample
# book) and docs/chapter-preview.png (the chapter preview of a sample novel),
# drawn offscreen (no display needed). Builds the program first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target vamobook
mkdir -p "$root/docs"
QT_QPA_PLATFORM=offscreen "$build/bin/vamobook" --screenshot "$root/docs/main-window.png"
echo "wrote $root/docs/main-window.png"
QT_QPA_PLATFORM=offscreen "$build/bin/vamobook" --screenshot-preview "$root/docs/chapter-preview.png"
echo "wrote $root/docs/chapter-preview.png"
