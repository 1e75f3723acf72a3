#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy (the checks of .clang-tidy) over the program's sources in
# src/ and cli/ with the compile database of a build (BUILD_DIR, else
# build/) and fails on any finding. JOBS sets how many run at once (2 by
# default); the sources follow on the command line to check only those.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${BUILD_DIR:-$root/build}"
jobs="${JOBS:-2}"
tidy=clang-tidy-16
if ! command -v "$tidy" >/dev/null; then
  echo "check-tidy: $tidy is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-tidy: $build/compile_commands.json is missing (build first: bash scripts/build.sh)" >&2
  exit 1
fi

# clang 16 knows C++23 as c++2b only, and GCC 12's <expected> is shown to it
# only when it announces the concepts of C++20's final text.
extra=(-std=c++2b -U__cpp_concepts -D__cpp_concepts=202002L)

if (($#)); then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- 'src/*.cpp' 'cli/*.cpp')
fi
# Only what this build compiles (not the other platform's files).
abs=()
for f in "${files[@]}"; do
  a="$(realpath "$f")"
  if grep -qF "\"file\": \"$a\"" "$build/compile_commands.json"; then abs+=("$a"); fi
done
if ((${#abs[@]} == 0)); then
  echo "check-tidy: none of the files is in $build/compile_commands.json" >&2
  exit 1
fi

log="$(mktemp)"
trap 'rm -f "$log"' EXIT
start=$SECONDS
status=0
if command -v run-clang-tidy-16 >/dev/null; then
  # run-clang-tidy takes the files as patterns on the database's paths.
  patterns=()
  for f in "${abs[@]}"; do patterns+=("^$(printf '%s' "$f" | sed 's/[.[\*^$+?(){}|]/\\&/g')\$"); done
  run-clang-tidy-16 -quiet -j "$jobs" -p "$build" -clang-tidy-binary "$(command -v "$tidy")" \
    -header-filter "^$root/(src|cli)/" "${extra[@]/#/-extra-arg=}" "${patterns[@]}" >"$log" 2>&1 ||
    status=$?
else
  printf '%s\0' "${abs[@]}" |
    xargs -0 -P "$jobs" -n 1 "$tidy" --quiet -p "$build" --header-filter="^$root/(src|cli)/" \
      "${extra[@]/#/--extra-arg=}" >"$log" 2>&1 || status=$?
fi
seconds=$((SECONDS - start))

# A header's finding comes once for every source that includes it.
mapfile -t findings < <(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error): ' "$log" | sort -u)
if ((${#findings[@]})); then
  grep -vE '^(/usr/bin/|/usr/lib/llvm)|^[0-9]+ warnings? generated\.$' "$log" >&2 || true
  echo "check-tidy: ${#findings[@]} findings in ${#abs[@]} files (${seconds} s)" >&2
  exit 1
fi
if ((status)); then
  cat "$log" >&2
  echo "check-tidy: clang-tidy failed without a finding (${seconds} s)" >&2
  exit 1
fi
echo "check-tidy: ${#abs[@]} files, no findings (${seconds} s)"
