#!/bin/sh
# Builds the Windows tests with the mingw-w64 cross compilers and runs them
# under Wine inside one virtual X server. After tools/package.sh (the
# shipping build and its zip and installer) and the asan build (its window
# probe watches the programs from outside). Exits non-zero when anything fails.
#
# The shipping 32-bit build (preset win32) runs every test under Debian's
# 32-bit Wine: unit, file layer, handlers, the Win32 GUI, the driver, the
# zip's own velloran.exe and the installer. Where the kernel runs no 32-bit
# programs (IA-32 emulation off, as in some virtual machines), 32-bit Wine
# cannot start: the shipping build's files are still checked, and its 64-bit
# twin (preset win64) runs the same tests under 64-bit Wine instead.
set -eu
cd "$(dirname "$0")/.."
jobs=${VELLORAN_JOBS:-2}

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=win32
  cmake --preset win32
  cmake --build --preset win32-tests -j "$jobs"
else
  echo "This machine runs no 32-bit programs: the 64-bit twin runs the Windows tests."
  ctest --preset win32 -R '^velloran_(exe|windows_packages)$'
  preset=win64
  cmake --preset win64
  cmake --build --preset win64 -j "$jobs"
fi

# The GUI tests run alone or take turns on the X server; the others run
# side by side. The Wine server outlives each test program; it is stopped
# once at the end.
xvfb-run -a sh -c '
  status=0
  ctest --preset "$1" -j "$2" || status=$?
  tools/wine-run --stop "build/$1/bin/velloran.exe"
  exit $status' sh "$preset" "$jobs"
