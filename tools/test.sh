#!/usr/bin/env bash
# Builds everything and runs every test:  tools/test.sh [--quick]
#
#   package   tools/package.sh: the Linux release and the shipping 32-bit
#             Windows build, and their packages
#   asan      the Linux build under AddressSanitizer and UBSan: core, file
#             layer, handlers, the Qt window offscreen and under a window
#             manager, the Debian package installed and run, the format check
#   tidy      the checks of .clang-tidy over the asan build's sources
#   tsan      the unit, file layer and handler tests under ThreadSanitizer
#   fuzz      the fuzzers, 25 seconds each
#   linux32   the core, file layer and driver as a 32-bit x86 Linux build
#   windows   tools/test-windows.sh: the Windows tests under Wine
#
# --quick, for the inner loop: only the asan build and its tests, without
# tidy and the package test (tools/test.sh --quick, about a minute when
# little changed). Prints how long each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

jobs=$(nproc)
export VELLORAN_JOBS=$jobs
times=()
stage() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  times+=("$(printf '%-8s %4d s' "$name" $((SECONDS - start)))")
}
report() {
  printf '%s\n' "Time per stage:" "${times[@]/#/  }" "  total    $SECONDS s"
}
trap report EXIT

asan() {
  cmake --preset asan
  cmake --build --preset asan -j"$jobs"
}

if [ "${1:-}" = --quick ]; then
  stage asan asan
  stage tests ctest --preset quick -j"$jobs"
  exit 0
fi

stage package tools/package.sh
stage asan eval 'asan && ctest --preset asan -j"$jobs" -LE tidy'
# After the other tests, so that the GUI tests that wait on timers have the
# cores to themselves.
stage tidy ctest --preset asan -j"$jobs" -L tidy
stage tsan eval 'cmake --preset tsan && cmake --build --preset tsan -j"$jobs" &&
                 ctest --preset tsan -j"$jobs"'
stage fuzz eval 'cmake --preset fuzz && cmake --build --preset fuzz -j"$jobs" &&
                 ctest --preset fuzz -j"$jobs"'
stage linux32 eval 'cmake --preset linux32 && cmake --build --preset linux32 -j"$jobs" &&
                    ctest --preset linux32 -j"$jobs"'
stage windows tools/test-windows.sh
