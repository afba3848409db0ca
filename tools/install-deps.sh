#!/usr/bin/env bash
# Installs, from Debian 12's packages, whatever building and testing Velloran
# needs and this machine lacks. Safe to run again.
set -euo pipefail

packages=(
  # Linux build
  g++ cmake make pkg-config qt6-base-dev libgl-dev libgtest-dev googletest
  # Repeated builds take unchanged objects from the compiler cache
  ccache
  # House-keeping: formatting and static checks
  clang-format clang-tidy
  # Fuzzing: clang and its libFuzzer runtime
  clang-14 libclang-rt-14-dev
  # Access control lists, for the tests of what replacing a file keeps
  acl
  fonts-liberation
  # The 32-bit Linux build; qemu-i386 runs it where the kernel runs no
  # 32-bit programs (IA-32 emulation off, as in some virtual machines)
  gcc-multilib g++-multilib qemu-user
  # Windows builds, and running them under Wine: 32-bit Wine (from the i386
  # architecture, added below) for the shipping 32-bit program, 64-bit Wine
  # for its 64-bit twin
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine wine64 wine32:i386
  # A display for the GUI tests, and a window manager on it; the tests watch
  # and drive it over X11 (XTEST for the mouse, XFIXES for the pointer)
  xvfb xauth openbox x11-utils libxcb1-dev libxcb-xtest0-dev libxcb-xfixes0-dev
  # A screen reader's view of the window: the accessibility bus on a D-Bus
  # session of the test's own, read over AT-SPI from Debian's python3
  dbus-daemon at-spi2-core python3-pyatspi
  # Packages: the Debian package's dependencies and checks, the Windows
  # installer, and 7-Zip to look inside the Windows downloads
  dpkg-dev lintian nsis p7zip-full
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
# 32-bit Wine comes from Debian's i386 architecture, beside the 64-bit one.
dpkg --print-foreign-architectures | grep -qx i386 || "${sudo[@]}" dpkg --add-architecture i386
"${sudo[@]}" apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
