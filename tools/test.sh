#!/usr/bin/env bash
# Builds everything and runs every test: first the packages (tools/package.sh:
# the Linux release and the shipping 32-bit Windows build), then the Linux
# build under AddressSanitizer and UndefinedBehaviorSanitizer (core, file
# layer, handlers, the Qt window offscreen and under a window manager, the
# Debian package installed and run), the fuzzers (about a minute each), the
# core in a 32-bit x86 Linux build under qemu-i386, then the Windows builds
# (checks of the shipping 32-bit exe and its downloads, and
# the 64-bit twin's tests under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

jobs=$(nproc)
VELLORAN_JOBS=$jobs tools/package.sh
cmake --preset asan
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

cmake --preset fuzz
cmake --build --preset fuzz -j"$jobs"
ctest --preset fuzz -j"$jobs"

# The core, the driver and their tests in a 32-bit process, under qemu-i386.
cmake --preset linux32
cmake --build --preset linux32 -j"$jobs"
ctest --preset linux32 -j"$jobs"

tools/test-windows.sh
