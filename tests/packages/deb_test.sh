#!/bin/sh
# Installs the Debian package on this machine as a user would, starts the
# installed program from the PATH under a window manager, checks its window
# and hand pointer, and removes the package again:
#   deb_test.sh PACKAGE.deb WINDOW_PROBE WITH_WINDOW_MANAGER
# Needs root (CI runs as root). Exits 77 (skipped) when velloran is already
# installed here, so as never to touch a user's own installation.
set -eu
deb=$(realpath "$1")
probe=$(realpath "$2")
with_window_manager=$(realpath "$3")

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

[ -f "$deb" ] || fail "$deb does not exist (build it with tools/package.sh)"
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing a package needs root"
  exit 77
fi
if dpkg-query -W -f='${Status}' velloran 2>/dev/null | grep -q 'install ok'; then
  echo "SKIP: velloran is already installed on this machine"
  exit 77
fi

# Debian's own checks: no error and no warning. (Debian 12's lintian still
# notes, as information only, hardening-no-fortify-functions, as the program
# calls none of the C functions that fortifying guards, and
# binary-has-unneeded-section for the compiler's .comment note.)
lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian finds faults in $deb"

export DEBIAN_FRONTEND=noninteractive
remove() { apt-get remove --purge -y -q velloran >/dev/null 2>&1 || true; }
trap remove EXIT
# As a user installs it; what it depends on is here already, for the build.
apt-get install -y -q "$deb" >/dev/null || fail "apt-get cannot install $deb"

[ "$(command -v velloran)" = /usr/bin/velloran ] || fail "velloran is not on the PATH"
[ "$(readlink -f /usr/bin/velloran)" = /usr/lib/velloran/velloran ] ||
  fail "/usr/bin/velloran does not lead to /usr/lib/velloran/velloran"
for file in /usr/lib/velloran/HAND-M.CUR /usr/share/applications/velloran.desktop \
            /usr/share/icons/hicolor/32x32/apps/velloran.png \
            /usr/share/icons/hicolor/256x256/apps/velloran.png \
            /usr/share/doc/velloran/copyright /usr/share/man/man1/velloran.1.gz; do
  [ -f "$file" ] || fail "$file is not installed"
done
grep -q '^Exec=velloran$' /usr/share/applications/velloran.desktop ||
  fail "the desktop entry does not start velloran"

# Started from another folder by its name alone, as the menu does; the probe
# closes the window, and the program must end with it.
cd /
"$with_window_manager" sh -c '
  velloran & program=$!
  status=0
  "$0" /usr/lib/velloran/HAND-M.CUR || status=$?
  (sleep 20; kill $program) >/dev/null 2>&1 & watchdog=$!
  if ! wait $program; then
    echo "velloran did not end by itself when its window closed" >&2
    status=1
  fi
  kill $watchdog 2>/dev/null
  exit $status' "$probe" || fail "the installed velloran does not work"

remove
trap - EXIT
for gone in /usr/bin/velloran /usr/lib/velloran; do
  [ ! -e "$gone" ] || fail "$gone is left after removing the package"
done
echo "$(basename "$deb"): lintian clean, installs, runs from the PATH with its hand pointer, removes"
