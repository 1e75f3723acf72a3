#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the sources under src/ include only from their own layer and
# the layers below it, and that nothing but the windows and the program's
# main includes Qt Widgets. The layers, lowest first:
#   model      the book project, settings, errors, the clock
#   text       encodings, TXT reading, file names
#   intake     editing chapters, importing and splitting text
#   packaging  the make checks, payload, archive writer, build driver
#   workflow   the new-book wizard's rules and the folder run, which build books
#   startup    the program folder, start-up clean-up, the update check
#   windows    the windows (Qt Widgets)
#   app        the program's main
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root/src"

declare -A allowed=(
  [model]="model"
  [text]="model text"
  [intake]="model text intake"
  [packaging]="model text packaging"
  [workflow]="model text intake packaging workflow"
  [startup]="model text packaging startup"
  [windows]="model text intake packaging workflow startup windows"
  [app]="model text intake packaging workflow startup windows app"
)

bad=0
for layer in "${!allowed[@]}"; do
  [ -d "$layer" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    target=${line#*#include \"}
    target=${target%%/*}
    [ -d "$target" ] || continue # a generated header (ui_*.h) or a file of its own folder
    if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
      echo "check-layers: $file includes from $target/, above $layer/" >&2
      bad=1
    fi
  done < <(grep -H -E '^#include "[A-Za-z]+/' "$layer"/*.cpp "$layer"/*.h 2>/dev/null || true)
  if [ "$layer" != windows ] && [ "$layer" != app ]; then
    if grep -l -E '^#include <(QtWidgets|QWidget|QApplication|QDialog|QMessageBox)' "$layer"/*.cpp "$layer"/*.h 2>/dev/null; then
      echo "check-layers: the files above include Qt Widgets outside windows/" >&2
      bad=1
    fi
  fi
done
# A window (a class with a .ui form) talks to the book and to the navigator,
# never to another window: only Navigator.cpp includes the windows' headers.
for form in windows/*.ui; do
  window=$(basename "$form" .ui)
  for other in windows/*.ui; do
    name=$(basename "$other" .ui)
    [ "$name" = "$window" ] && continue
    if grep -q -E "^#include \"windows/$name\.h\"" "windows/$window.h" "windows/$window.cpp"; then
      echo "check-layers: the window $window includes the window $name (open it through the navigator)" >&2
      bad=1
    fi
  done
done
for dir in */; do
  dir=${dir%/}
  if [ -z "${allowed[$dir]+x}" ]; then
    echo "check-layers: src/$dir/ is in no layer (add it to scripts/check-layers.sh)" >&2
    bad=1
  fi
done
if ((bad)); then
  exit 1
fi
echo "check-layers: every include points down the layers"
