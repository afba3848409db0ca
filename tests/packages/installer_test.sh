#!/bin/sh
# The Windows installer as a user runs it, under 32-bit Wine:
#   installer_test.sh SETUP.exe WINE_PREFIX WINDOW_PROBE WINE_RUN
# `SETUP.exe /S` installs for the current user, without asking, into
# %LOCALAPPDATA%\Programs\Velloran, with a Start-menu shortcut and an entry
# under Apps & features; the program started from the shortcut's target shows
# its window with the hand pointer; `Uninstall.exe /S` then removes every
# file, the folder, the shortcut and the entry. Exits 77 (skipped) when this
# machine cannot run the 32-bit installer.
set -eu
setup=$(realpath "$1")
prefix=$2
probe=$3
wine_run=$4
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velloran'

fail() {
  echo "FAIL: $*"
  exit 1
}

[ -f "$setup" ] || fail "$setup does not exist (build it with tools/package.sh)"
[ -x "$probe" ] || fail "$probe does not exist (build the asan preset first)"
"$wine_run" --can-run "$setup" || exit 77
export VELLORAN_WINEPREFIX="$prefix"
run() { "$wine_run" "$@"; }

# The user's folders, as Wine lays them out under drive_c. What an earlier,
# interrupted run left behind is removed first.
run reg delete "$key" /f >/dev/null 2>&1 || true
home=$(find "$prefix/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
folder="$home/AppData/Local/Programs/Velloran"
shortcut="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Velloran.lnk"
rm -rf "$folder" "$shortcut"

run "$setup" /S || fail "the installer with /S failed"
for file in velloran.exe HAND-M.CUR README.txt LICENSE.txt Uninstall.exe; do
  [ -f "$folder/$file" ] || fail "$file is not installed in $folder"
done
[ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
run reg query "$key" /v UninstallString >/dev/null 2>&1 ||
  fail "no entry under Apps & features ($key)"
# Per user: nothing went to Program Files, nor to the machine's registry.
[ ! -e "$prefix/drive_c/Program Files (x86)/Velloran" ] && [ ! -e "$prefix/drive_c/Program Files/Velloran" ] ||
  fail "the installer wrote to Program Files"

# The program, from the shortcut's target, as the Start menu starts it.
run start /unix "$shortcut" || fail "the Start-menu shortcut does not start"
status=0
"$probe" "$folder/HAND-M.CUR" || status=$?
[ $status -eq 0 ] || fail "the installed program did not show its window with the hand pointer"

# The uninstaller copies itself elsewhere and works from there; wait for it.
run "$folder/Uninstall.exe" /S || fail "the uninstaller with /S failed"
for _ in $(seq 60); do
  [ ! -e "$folder" ] && [ ! -e "$shortcut" ] && break
  sleep 1
done
[ ! -e "$folder" ] || fail "the uninstaller left $(ls -A "$folder" | tr '\n' ' ')in $folder"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start-menu shortcut"
if run reg query "$key" >/dev/null 2>&1; then
  fail "the uninstaller left its entry under Apps & features"
fi
echo "$(basename "$setup"): installed for the user, started from the Start menu, uninstalled without a trace"
