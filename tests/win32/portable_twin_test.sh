#!/bin/sh
# The portable zip's contents, in their 64-bit twin, started under Wine: the
# win64 build installed into a fresh folder as the zip lays it out, started
# from there, must open its window with the hand pointer from its own folder
# and end when the window is closed.
#   portable_twin_test.sh WIN64_BUILD_DIR WINDOW_PROBE WINE_RUN
set -eu
build=$(cd "$1" && pwd)
probe=$2
wine_run=$3

[ -x "$probe" ] || { echo "FAIL: $probe does not exist (build the asan preset first)"; exit 1; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cmake --install "$build" --prefix "$folder" --strip >/dev/null
[ "$(ls "$folder" | tr '\n' ' ')" = "HAND-M.CUR LICENSE.txt README.txt velloran.exe " ] ||
  { echo "FAIL: the folder holds $(ls "$folder" | tr '\n' ' ')"; exit 1; }

# The tests' Wine prefix serves this program too.
VELLORAN_WINEPREFIX=$build/wine "$wine_run" "$folder/velloran.exe" &
program=$!
status=0
"$probe" "$folder/HAND-M.CUR" || status=$?
(sleep 30; kill $program) >/dev/null 2>&1 &
watchdog=$!
if ! wait $program; then
  echo "FAIL: velloran.exe did not end by itself when its window closed"
  status=1
fi
kill $watchdog 2>/dev/null || true
[ $status -eq 0 ] && echo "velloran.exe from the zip's layout: window and hand pointer shown, ended on close"
exit $status
