# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the screenshot scripts: sets root (the source tree) and build
# (BUILD_DIR overrides build/), configures the build folder where it has not
# been, and builds the program that takes the pictures of the windows.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target vamobook-screenshots
