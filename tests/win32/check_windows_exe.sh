#!/bin/sh
# Checks a built velloran.exe:  check_windows_exe.sh i686|x86_64 PATH/velloran.exe
# The file format and machine, the GUI subsystem, large-address awareness
# (32-bit only), imports from Windows system DLLs only, and the icon, version
# and manifest resources.
set -u
arch=$1
exe=$2
objdump=$arch-w64-mingw32-objdump
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if [ ! -f "$exe" ]; then
  echo "FAIL: $exe does not exist (build it with: cmake --preset win32 && cmake --build build/win32)"
  exit 1
fi
headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump cannot read $exe"; exit 1; }

case $arch in
  i686)
    format="pei-i386"
    echo "$headers" | grep -q "large address aware" || fail "not large-address-aware" ;;
  x86_64)
    format="pei-x86-64" ;;
  *)
    echo "usage: check_windows_exe.sh i686|x86_64 EXE" >&2; exit 2 ;;
esac
"$objdump" -f "$exe" | grep -q "file format $format" || fail "not in the $format format"
echo "$headers" | grep -Eq "^Subsystem[[:space:]]+0+2[[:space:]]" || fail "not a GUI-subsystem program"

# Only the DLLs every Windows has.
allowed='^(kernel32|user32|gdi32|comdlg32|msvcrt|api-ms-win-crt-.*)\.dll$'
imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
  echo "$dll" | grep -Eq "$allowed" || fail "imports $dll"
done

# Resource types, as objdump lists the top level of the resource directory
# (hexadecimal type numbers).
types=$(echo "$headers" | sed -n '/Resource Directory section/,$p' |
        sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p')
for wanted in "3 icon" "e group-icon" "10 version" "18 manifest" "2 bitmap"; do
  echo "$types" | grep -qx "${wanted%% *}" || fail "no ${wanted#* } resource"
done

if [ "$failures" -ne 0 ]; then
  echo "$exe: $failures check(s) failed"
  exit 1
fi
echo "$exe: $format, GUI subsystem, imports $(echo $imports | tr ' ' ','), icon, version, manifest and pictures present"
