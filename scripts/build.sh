#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds into build/ (BUILD_DIR overrides). WERROR=1 turns
# warnings into errors, as CI does.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
werror=OFF
if [ "${WERROR:-${CI:-}}" != "" ] && [ "${WERROR:-1}" != 0 ]; then werror=ON; fi
# The configuration is the "default" preset of CMakePresets.json.
cmake -S "$root" --preset default -B "$build" -DVAMO_WERROR=$werror >/dev/null
cmake --build "$build" -j"$(nproc)"
