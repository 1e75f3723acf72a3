#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds and starts the program. Without a display
# it makes the sample book with the command line instead and says where it is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build="${BUILD_DIR:-$root/build}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/bin/vamobook"
fi
echo "No display found: making the sample book from samples/*.txt with vamobook-cli."
out="$build/sample-output"
mkdir -p "$out"
"$build/bin/vamobook-cli" make --save-folder "$out" --book-name "山居杂记" --jar-name shanju "$root/samples/"*.txt
echo "Copy the JAR and JAD above to a Java phone (or an emulator) to read the book."
