#!/usr/bin/env bash
# Regenerates docs/main-window.png, docs/wizard-step-one.png and
# docs/wizard-step-two.png: the main window with a small sample book and the
# wizard's two steps opened on it, drawn offscreen (no display needed).
# Builds the program first.
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
echo "wrote $root/docs/main-window.png, wizard-step-one.png and wizard-step-two.png"
