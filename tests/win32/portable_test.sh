#!/bin/sh
# The portable program started as a user starts it: its files in a fresh
# folder, laid out as the zip lays them out, velloran.exe started from there
# under Wine; it must open its window with the hand pointer from its own
# folder and end when the window is closed.
#   portable_test.sh zip ZIP WINE_PREFIX WINDOW_PROBE WINE_RUN
#     the shipping zip's own files, unpacked (the 32-bit program)
#   portable_test.sh build BUILD_DIR WINE_PREFIX WINDOW_PROBE WINE_RUN
#     a build installed as the zip lays it out (the 64-bit twin)
# Exits 77 (skipped) when this machine cannot run the program.
set -eu
kind=$1
source=$2
prefix=$3
probe=$4
wine_run=$5

[ -x "$probe" ] || { echo "FAIL: $probe does not exist (build the asan preset first)"; exit 1; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
case $kind in
  zip )
    [ -f "$source" ] || { echo "FAIL: $source does not exist (build it with tools/package.sh)"; exit 1; }
    7z x -o"$folder" "$source" >/dev/null ;;
  build )
    cmake --install "$source" --prefix "$folder" --strip >/dev/null ;;
  * )
    echo "usage: portable_test.sh zip|build SOURCE WINE_PREFIX WINDOW_PROBE WINE_RUN" >&2; exit 2 ;;
esac
[ "$(ls "$folder" | tr '\n' ' ')" = "HAND-M.CUR LICENSE.txt README.txt velloran.exe " ] ||
  { echo "FAIL: the folder holds $(ls "$folder" | tr '\n' ' ')"; exit 1; }

"$wine_run" --can-run "$folder/velloran.exe" || exit 77
VELLORAN_WINEPREFIX=$prefix "$wine_run" "$folder/velloran.exe" &
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
