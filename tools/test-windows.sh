#!/bin/sh
# Builds the Windows programs with the mingw-w64 cross compilers and runs
# their tests under Wine: the shipping 32-bit velloran.exe (preset win32,
# checked as a file) and its 64-bit twin with every test (preset win64), all
# inside one virtual X server. Exits non-zero when anything fails.
set -eu
cd "$(dirname "$0")/.."
jobs=${VELLORAN_JOBS:-2}

cmake --preset win32
cmake --build --preset win32 -j "$jobs"
cmake --preset win64
cmake --build --preset win64 -j "$jobs"

# The Wine server outlives each test program; it is stopped once at the end.
xvfb-run -a sh -c '
  status=0
  ctest --preset win64 || status=$?
  tools/wine-run --stop build/win64/bin/velloran.exe
  exit $status'
