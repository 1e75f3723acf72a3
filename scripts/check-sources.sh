#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The build names its sources, tests and benchmarks one by one; this lists
# the files that no CMakeLists.txt names (a new file that would be left out
# of the build, or a test that would never run) and fails when there are
# any. A platform file name_posix.cpp or name_win.cpp is named as
# name_${VAMO_PLATFORM}.cpp; window tests, command-line tests and
# benchmarks by their names alone.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

# named LIST WORD: whether the CMakeLists.txt LIST names WORD.
named() { grep -qE "(^|[[:space:]/(])$(printf '%s' "$2" | sed 's/[.$]/\\&/g; s/[{}]/\\&/g')([[:space:])]|$)" "$1"; }

missing=()
while IFS= read -r f; do
  name=$(basename "$f")
  name=${name/%_posix.cpp/_\$\{VAMO_PLATFORM\}.cpp}
  name=${name/%_win.cpp/_\$\{VAMO_PLATFORM\}.cpp}
  case "$f" in
    src/app/*) list=src/CMakeLists.txt word="app/$name" ;;
    src/*) list=src/CMakeLists.txt word=$name ;;
    cli/*) list=cli/CMakeLists.txt word=$name ;;
    tools/*) list=tools/CMakeLists.txt word=$name ;;
    bench/*.cpp) list=bench/CMakeLists.txt word=${name%.cpp} ;;
    tests/windows/*.cpp) list=tests/CMakeLists.txt word=${name%.cpp} ;;
    tests/cli/*.sh) list=tests/CMakeLists.txt word=${name%.sh} ;;
    tests/*) list=tests/CMakeLists.txt word=$name ;;
    *) continue ;;
  esac
  named "$list" "$word" || missing+=("$f (not in $list)")
done < <(git ls-files --cached --others --exclude-standard -- 'src/*.cpp' 'src/*.h' 'src/*.ui' 'cli/*.cpp' \
  'cli/*.h' 'tools/*.cpp' 'bench/*.cpp' 'tests/core/*.cpp' 'tests/windows/*.cpp' 'tests/support/*.cpp' \
  'tests/cli/*.sh')

if ((${#missing[@]})); then
  echo "check-sources: these files are named by no CMakeLists.txt:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi
echo "check-sources: every source, test and benchmark is in the build"
