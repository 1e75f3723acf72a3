#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program, made on this Debian machine: installs the cross
# compilers, Wine and NSIS from Debian's packages; builds the Windows
# libraries once from Debian's own source packages into a cache outside the
# work tree; cross-builds the project; runs its tests under Wine; makes the
# installer and the portable zip; installs into a fresh Wine prefix, makes a
# book with the installed command line and starts the installed program.
#
#   bash scripts/windows.sh          everything (the library build only once)
#   bash scripts/windows.sh --libs   packages and the library cache only
#   bash scripts/windows.sh --test   everything but the library build (the
#                                    cache must be there already)
#   bash scripts/windows.sh --has-cache   exit status 0 when the cache is there
#
# SCREENSHOT=FILE also takes a picture of the installed program's main window
# (docs/windows-main-window.png in the README), SCREENSHOT_200=FILE the same
# at 200 % (docs/200/windows-main-window.png).
#
# VAMO_WIN_CACHE (default /var/cache/vamobook-windows) holds the sources and
# the built libraries; WIN_BUILD_DIR (default build-windows) the project.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode=all
case "${1:-}" in
  "") ;;
  --libs) mode=libs ;;
  --test) mode=test ;;
  --has-cache) mode=has-cache ;;
  -h | --help)
    sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
  *)
    echo "windows.sh: unknown option $1 (see --help)" >&2
    exit 2
    ;;
esac

# shellcheck source=scripts/windows-common.bash
source "$root/scripts/windows-common.bash"

if [ "$mode" = has-cache ]; then
  command -v $triple-gcc-posix >/dev/null && require_cache >/dev/null 2>&1
  exit
fi

trap 'verdict $?' EXIT

if [ "$mode" != test ]; then
  step packages install_packages
  step libraries build_libraries
fi
if [ "$mode" = libs ]; then exit 0; fi
require_cache
if [ "$mode" = test ]; then step packages install_packages; fi
step project build_project
step tests run_tests
step same-book same_book_check
step installer make_installer
step install install_check
