#!/bin/sh
# Checks the Windows downloads as the README promises them, without running
# them (installer_test.sh and tests/win32/portable_test.sh run them):
#   check_windows_packages.sh VERSION ZIP INSTALLER INSTALLER_SCRIPT
# The zip holds exactly velloran.exe, HAND-M.CUR, README.txt and LICENSE.txt;
# the program is a stripped PE32 GUI program whose version resource says
# VERSION; the installer is a PE32 program of that version that installs the
# same files and an uninstaller, and the script it was made from
# (INSTALLER_SCRIPT, cpack's project.nsi) makes the uninstaller delete each of
# them, the shortcut and the uninstall entry.
set -u
version=$1
zip=$2
installer=$3
script=$4
here=$(cd "$(dirname "$0")" && pwd)
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

for package in "$zip" "$installer" "$script"; do
  [ -f "$package" ] || { echo "FAIL: $package does not exist (build it with tools/package.sh)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The names 7-Zip lists inside an archive, one a line, sorted; the
# installer's own plug-ins left out.
names() {
  7z l -slt "$1" | sed -n 's/^Path = //p' | sed '1d' | grep -v '^\$PLUGINSDIR/' | sort
}

# The version resource's text, as 7-Zip shows a PE program's resources.
version_of() {
  rm -rf "$work/resources"
  7z x -tPE -o"$work/resources" "$1" '.rsrc/version.txt' >/dev/null 2>&1
  iconv -f UTF-16 -t UTF-8 "$work/resources/.rsrc/version.txt" 2>/dev/null
}

# A stripped program has no symbol table and no debug sections.
check_stripped() {
  i686-w64-mingw32-nm "$1" 2>&1 | grep -q 'no symbols' || fail "$2 has a symbol table"
  i686-w64-mingw32-objdump -h "$1" | grep -q '\.debug' && fail "$2 carries debug information"
}

expected_files="HAND-M.CUR
LICENSE.txt
README.txt
velloran.exe"

# The portable zip.
[ "$(names "$zip")" = "$expected_files" ] ||
  fail "$zip holds $(names "$zip" | tr '\n' ' ')instead of the four files"
7z x -o"$work/zip" "$zip" >/dev/null || fail "7-Zip cannot unpack $zip"
exe=$work/zip/velloran.exe
sh "$here/../win32/check_windows_exe.sh" i686 "$exe" >"$work/exe-check" ||
  fail "the zip's velloran.exe: $(cat "$work/exe-check")"
check_stripped "$exe" "the zip's velloran.exe"
version_of "$exe" | grep -Eq "FileVersion.*\"$version\"" ||
  fail "the zip's velloran.exe does not carry version $version"
cmp -s "$work/zip/HAND-M.CUR" "$here/../../assets/HAND-M.CUR" || fail "the zip's HAND-M.CUR differs"
grep -q "MIT License" "$work/zip/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence"
grep -q "^Velloran $version" "$work/zip/README.txt" || fail "README.txt does not name version $version"

# The installer.
i686-w64-mingw32-objdump -f "$installer" | grep -q 'file format pei-i386' ||
  fail "$installer is not a PE32 program"
version_of "$installer" | grep -Eq "ProductVersion.*\"$version\"" ||
  fail "$installer does not carry version $version"
[ "$(names "$installer")" = "$(printf '%s\nUninstall.exe' "$expected_files" | sort)" ] ||
  fail "$installer installs $(names "$installer" | tr '\n' ' ')instead of the four files and an uninstaller"
7z x -o"$work/setup" "$installer" velloran.exe >/dev/null 2>&1 || fail "7-Zip cannot unpack $installer"
cmp -s "$work/setup/velloran.exe" "$exe" || fail "the installer's velloran.exe differs from the zip's"
for file in $expected_files Uninstall.exe; do
  grep -Fq "Delete \"\$INSTDIR\\$file\"" "$script" || fail "the uninstaller leaves $file behind"
done
grep -q '^ *Delete "\${SHORTCUT}"' "$script" || fail "the uninstaller leaves the shortcut behind"
grep -q '^ *DeleteRegKey HKCU "\${UNINSTALL_KEY}"' "$script" ||
  fail "the uninstaller leaves its entry under Apps & features"
grep -q '^ *CreateShortcut "\${SHORTCUT}"' "$script" || fail "the installer makes no Start-menu shortcut"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) of the Windows packages failed"
  exit 1
fi
echo "$(basename "$zip"), $(basename "$installer"): version $version, a stripped PE32 program, the four files; the uninstaller deletes what was installed"
