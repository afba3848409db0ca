#!/bin/sh
# Builds every package into build/packages/:
#   velloran_<version>_amd64.deb          the Debian package (Linux, Qt)
#   velloran-<version>-win32.zip          the portable 32-bit Windows program
#   velloran-<version>-win32-setup.exe    its installer
# Run tools/install-deps.sh first on a fresh machine.
set -eu
cd "$(dirname "$0")/.."
jobs=${VELLORAN_JOBS:-2}
# The time stamps inside the packages and the stripped Windows program are
# the last commit's, so the same source gives the same packages.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH

# The win32 build preset builds the program alone; its tests are built in the
# same tree by tools/test-windows.sh.
for preset in release win32; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$jobs"
  cpack --preset "$preset"
done
ls -l build/packages
