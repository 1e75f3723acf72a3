#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds everything and runs every test. Then the
# core and command-line tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the archive writer's concurrency tests
# built with ThreadSanitizer, each in a build folder of its own
# (SANITIZERS=0 leaves those out).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
build="${BUILD_DIR:-$root/build}"
jobs="$(nproc)"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

if [ "${SANITIZERS:-1}" = 0 ]; then exit 0; fi

werror=OFF
if [ "${WERROR:-${CI:-}}" != "" ] && [ "${WERROR:-1}" != 0 ]; then werror=ON; fi

# sanitized DIR PRESET TARGET...: configures DIR with the preset of
# CMakePresets.json (asan, tsan) and builds the targets.
sanitized() {
  local dir="$1" preset="$2"
  shift 2
  cmake -S "$root" --preset "$preset" -B "$dir" -DVAMO_WERROR=$werror \
    -DVAMO_TEMPLATES_FROM="$build/bin" >/dev/null
  cmake --build "$dir" -j"$jobs" --target "$@"
}

asan="${ASAN_BUILD_DIR:-$root/build-asan}"
sanitized "$asan" asan core_tests vamobook-cli reader_templates
(cd "$asan" &&
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

tsan="${TSAN_BUILD_DIR:-$root/build-tsan}"
sanitized "$tsan" tsan core_tests
(cd "$tsan" &&
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" \
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" -R '^(Archive|Build\.)')
