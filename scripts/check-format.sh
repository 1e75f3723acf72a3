#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lists the C++ files that differ from what .clang-format makes of them and
# fails when there are any (new files not yet added count too). FIX=1
# formats them in place instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
if [ "${FIX:-0}" = 1 ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
    bad+=("$f")
  fi
done
if ((${#bad[@]})); then
  echo "check-format: these files differ from .clang-format (FIX=1 bash scripts/check-format.sh formats them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files follow .clang-format"
