#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the committed man page desktop/vamobook-cli.1 from the built
# command line's --help (installed instead when help2man is missing at build
# time). Run after changing the command line's help; needs a build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
version="$(sed -n 's/^project(vamobook VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
help2man --no-info --no-discard-stderr --locale=C.UTF-8 --version-string="$version" \
  --include="$root/desktop/vamobook-cli.h2m" --output="$root/desktop/vamobook-cli.1" "$build/bin/vamobook-cli"
echo "wrote $root/desktop/vamobook-cli.1"
